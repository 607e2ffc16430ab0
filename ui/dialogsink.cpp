#include "dialogsink.h"

#include "text.h"

#include <wx/msgdlg.h>
#include <wx/utils.h>

void CDialogSink::show(const std::string& text, const std::string& caption) {
    // While the box waits for the user, the program is not busy.
    const wxBusyCursorSuspender normal_cursor;
    wxMessageDialog box(owner_, tavui::to_wx(text), tavui::to_wx(caption), wxOK | wxICON_NONE | wxCENTRE);
    box.ShowModal();
}
