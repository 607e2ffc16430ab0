#include "support/dialogfixture.h"

#include "resource.h"
#include "tav/settings.h"
#include "tav/split.h"
#include "tav/stoprequest.h"
#include "text.h"

#include <wx/button.h>
#include <wx/textctrl.h>

DialogTest::DialogTest()
    : split_([](const tav::SplitSettings& s, tav::MessageSink& sink) {
          tav::SplitRun().stop_on(tav::process_stop_request()).run(s, sink);
      }),
      previous_dir_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir_.path());
}

DialogTest::~DialogTest() {
    dialog_.reset();
    std::filesystem::current_path(previous_dir_);
}

CSplitDlg& DialogTest::Open() {
    dialog_ = std::make_unique<CSplitDlg>(
        desktop_, [this](const tav::SplitSettings& s, tav::MessageSink& sink) { split_(s, sink); }, helpPageUrl_);
    dialog_->Show();
    return *dialog_;
}

wxTextCtrl& DialogTest::Edit(int id) const {
    auto* edit = dynamic_cast<wxTextCtrl*>(dialog_->FindWindow(id));
    if (edit == nullptr) throw std::runtime_error("no edit control " + std::to_string(id));
    return *edit;
}

wxButton& DialogTest::Button(int id) const {
    auto* button = dynamic_cast<wxButton*>(dialog_->FindWindow(id));
    if (button == nullptr) throw std::runtime_error("no button " + std::to_string(id));
    return *button;
}

void DialogTest::Type(int id, const wxString& text) const { Edit(id).ChangeValue(text); }

wxString DialogTest::Text(int id) const { return Edit(id).GetValue(); }

std::vector<std::string> DialogTest::Controls() const {
    std::vector<std::string> values;
    for (const int id : {res::IDC_SOURCE, res::IDC_DEST, res::IDC_KB, res::IDC_LINES})
        values.push_back(tavui::to_bytes(Text(id)));
    return values;
}

void DialogTest::Press(int id) const {
    wxButton& button = Button(id);
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(&button);
    button.ProcessWindowEvent(click);
}

void DialogTest::PressKey(int key, int modifiers) const {
    wxKeyEvent press(wxEVT_CHAR_HOOK);
    press.m_keyCode = key;
    press.SetControlDown(modifiers & wxMOD_CONTROL);
    press.SetShiftDown(modifiers & wxMOD_SHIFT);
    press.SetAltDown(modifiers & wxMOD_ALT);
    press.SetEventObject(dialog_.get());
    dialog_->ProcessWindowEvent(press);
}

std::optional<std::string> DialogTest::SettingsText() const {
    return tavtest::read_file(dir_ / tav::SettingsFile::kFileName);
}
