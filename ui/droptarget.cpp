#include "droptarget.h"

bool CPathDropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& paths) {
    if (paths.empty()) return false;
    handler_(paths[0]);
    return true;
}
