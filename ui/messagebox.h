// Message boxes and the other windows that wait over the dialog for an
// answer. The box itself and how such windows are taken away differ by
// platform: gtk/messagebox.cpp, msw/messagebox.cpp.
#pragma once

#include "tav/messagesink.h"

#include <wx/msgdlg.h>

namespace tavui {

// A message box of the system's own kind: a text, a caption, one OK button
// and no icon or the exclamation icon. It is a wxMessageDialog, so tests can
// answer it like any other.
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

// The dialog's MessageSink: a modal message box owned by the dialog, with the
// given text and caption, one OK button and no icon.
class CDialogSink : public tav::MessageSink {
public:
    explicit CDialogSink(wxWindow* owner) : owner_(owner) {}
    void show(const std::string& text, const std::string& caption) override;
    // Shows nothing from now on: the program is ending, and nobody is to be
    // kept waiting on a box.
    void Silence() { silent_ = true; }

private:
    wxWindow* owner_;
    bool silent_ = false;
};

// Takes away every window that waits over `owner` for an answer (a chooser, a
// dialog box, a message box, a menu) as if the user had cancelled it, so that
// a request to end is carried out whatever is open. The handler that opened
// it then goes on as after a cancel.
void close_modal_windows(wxWindow& owner);

}  // namespace tavui
