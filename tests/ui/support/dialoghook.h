// Answers the modal dialogs a test provokes instead of showing them. Failures
// become GoogleTest failures at the test's line, and a dialog nobody expected
// is cancelled rather than left waiting for a user who never comes.
#pragma once

#include <gtest/gtest.h>

#define wxTEST_DIALOG_HOOK_CLASS CTestDialogHook
#include <wx/testing.h>

#include <string>
#include <vector>

class CTestDialogHook : public wxTestingModalHook {
public:
    CTestDialogHook(const char* file, int line, const char* func)
        : wxTestingModalHook(file, line, func), file_(file), line_(line) {}

protected:
    int Enter(wxDialog* dialog) override;
    void ReportFailure(const wxString& message) override;

private:
    const char* file_;
    int line_;
};

// A message box with exactly this text, caption and style (buttons and icon).
// It is answered with OK.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
public:
    ExpectMessage(std::string text, std::string caption, long style = wxOK | wxICON_NONE)
        : text_(std::move(text)), caption_(std::move(caption)), style_(style) {}

protected:
    int OnInvoked(wxMessageDialog* box) const override;
    wxString GetDefaultDescription() const override;

private:
    std::string text_;
    std::string caption_;
    long style_;
};

// One message box as the user would have seen it.
struct ShownMessage {
    std::string text;
    std::string caption;
    long style = 0;  // buttons and icon only
    wxWindow* owner = nullptr;
    friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
};
void PrintTo(const ShownMessage& m, std::ostream* os);

// Records every message box shown while it exists and answers it with OK;
// any other modal dialog is a test failure and is cancelled.
class CMessageRecorder : public wxModalDialogHook {
public:
    CMessageRecorder() { Register(); }
    ~CMessageRecorder() override { Unregister(); }
    std::vector<ShownMessage> messages;

protected:
    int Enter(wxDialog* dialog) override;
};

// The buttons, icon and stay-on-top bits of a message box's style.
long message_style(const wxMessageDialog& box);

// A plain message box of the kind the split run and the settings file show.
ShownMessage notice(std::string text, std::string caption, wxWindow* owner);
