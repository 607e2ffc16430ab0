#include "dialogfont.h"

#include <wx/font.h>
#include <wx/fontenum.h>
#include <wx/settings.h>

wxFont dialog_font() {
    static const wxString kFace = "MS Sans Serif";
    if (wxFontEnumerator::IsValidFacename(kFace)) return wxFont(wxFontInfo(8).FaceName(kFace));
    return wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
}
