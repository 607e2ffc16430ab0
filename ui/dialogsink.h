// The dialog's MessageSink: a modal message box owned by the dialog, with the
// given text and caption, one OK button and no icon.
#pragma once

#include "tav/messagesink.h"

class wxWindow;

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
