// Runs each test in a fresh current directory (the settings file lives
// there) with a real CSplitDlg driven through its controls.
#pragma once

#include "maindlg.h"
#include "support/files.h"
#include "support/scripteddesktop.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class wxButton;
class wxTextCtrl;

class DialogTest : public testing::Test {
protected:
    DialogTest();
    ~DialogTest() override;

    // Creates the dialog and shows it, which loads the settings.
    CSplitDlg& Open();
    // Destroys the dialog window, which saves the settings.
    void Destroy() { dialog_.reset(); }

    wxTextCtrl& Edit(int id) const;
    wxButton& Button(int id) const;
    void Type(int id, const wxString& text) const;
    wxString Text(int id) const;
    // The four edit controls' text as bytes: SOURCE, DEST, KB, LINES.
    std::vector<std::string> Controls() const;
    void Press(int id) const;
    void PressKey(int key, int modifiers = wxMOD_NONE) const;

    // The settings file in the start-up folder, if there is one.
    std::optional<std::string> SettingsText() const;
    std::string Path(const std::string& name) const { return dir_ / name; }

    tavtest::TempDir dir_;
    CScriptedDesktop desktop_;
    // What Go runs (a real split unless a test stands in for it) and the web
    // page Help opens, both as the dialog finds them at the time.
    CSplitDlg::SplitAction split_;
    wxString helpPageUrl_;
    std::unique_ptr<CSplitDlg> dialog_;

private:
    std::filesystem::path previous_dir_;
};
