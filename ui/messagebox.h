// A message box of the system's own kind: a text, a caption, one OK button
// and no icon or the exclamation icon. It is a wxMessageDialog, so tests can
// answer it like any other. Each platform has its own file:
// unix/messagebox.cpp, msw/messagebox.cpp.
#pragma once

#include <wx/msgdlg.h>

class CMessageBox : public wxMessageDialog {
public:
    // style: wxOK with wxICON_NONE or wxICON_EXCLAMATION, and wxSTAY_ON_TOP
    // for a box that must be seen before anything else (system-modal where
    // the system has such boxes). owner may be null: the box stands alone.
    CMessageBox(wxWindow* owner, const wxString& text, const wxString& caption, long style)
        : wxMessageDialog(owner, text, caption, style | wxCENTRE | (owner ? 0 : wxDIALOG_NO_PARENT)) {}

    // Shows the box and returns wxID_OK once the user has dismissed it.
    int ShowModal() override;
};
