#include "support/dialoghook.h"

#include "text.h"

#include <wx/msgdlg.h>

#include <ostream>

int CTestDialogHook::Enter(wxDialog* dialog) {
    const int answer = wxTestingModalHook::Enter(dialog);
    return answer == wxID_NONE ? wxID_CANCEL : answer;
}

void CTestDialogHook::ReportFailure(const wxString& message) {
    ADD_FAILURE_AT(file_, line_) << message.utf8_string();
}

int ExpectMessage::OnInvoked(wxMessageDialog* box) const {
    EXPECT_EQ(tavui::to_bytes(box->GetMessage()), text_);
    EXPECT_EQ(tavui::to_bytes(box->GetCaption()), caption_);
    EXPECT_EQ(message_style(*box), style_) << "message \"" << text_ << "\"";
    return wxID_OK;
}

wxString ExpectMessage::GetDefaultDescription() const {
    return wxString::Format("message box \"%s\" / \"%s\"", tavui::to_wx(text_), tavui::to_wx(caption_));
}

void PrintTo(const ShownMessage& m, std::ostream* os) {
    *os << '"' << m.text << "\" / \"" << m.caption << "\" style 0x" << std::hex << m.style << std::dec
        << " owner " << m.owner;
}

int CMessageRecorder::Enter(wxDialog* dialog) {
    if (auto* box = dynamic_cast<wxMessageDialog*>(dialog)) {
        messages.push_back({tavui::to_bytes(box->GetMessage()), tavui::to_bytes(box->GetCaption()),
                            message_style(*box), box->GetParent()});
        return wxID_OK;
    }
    ADD_FAILURE() << "unexpected dialog \"" << dialog->GetTitle().utf8_string() << "\"";
    return wxID_CANCEL;
}

long message_style(const wxMessageDialog& box) {
    return box.GetMessageDialogStyle() & (wxOK | wxCANCEL | wxYES_NO | wxHELP | wxICON_MASK | wxSTAY_ON_TOP);
}

ShownMessage notice(std::string text, std::string caption, wxWindow* owner) {
    return {std::move(text), std::move(caption), wxOK | wxICON_NONE, owner};
}
