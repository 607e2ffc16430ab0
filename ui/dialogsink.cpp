#include "dialogsink.h"

#include "text.h"

#include <wx/msgdlg.h>

void CDialogSink::show(const std::string& text, const std::string& caption) {
    wxMessageDialog box(owner_, tavui::to_wx(text), tavui::to_wx(caption), wxOK | wxICON_NONE | wxCENTRE);
    box.ShowModal();
}
