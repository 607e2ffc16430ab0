// The dialog's MessageSink: a modal message box owned by the dialog, with the
// given text and caption, one OK button and no icon.
#pragma once

#include "tav/messagesink.h"

class CMessageBox;
class wxWindow;

class CDialogSink : public tav::MessageSink {
public:
    explicit CDialogSink(wxWindow* owner) : owner_(owner) {}
    void show(const std::string& text, const std::string& caption) override;
    // Takes away the box being shown, if any, as if the user had answered it.
    void Dismiss();

private:
    wxWindow* owner_;
    CMessageBox* shown_ = nullptr;
};
