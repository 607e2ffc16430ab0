// Stands in for the desktop's file dialog, folder chooser and browser: each
// chooser gives the next scripted answer, and every page opened is recorded.
#pragma once

#include "desktop.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

using tavui::ChooserStart;

class CScriptedDesktop : public tavui::CDesktop {
public:
    // nothing: the user cancels. `wander_to`: a folder the chooser changes
    // into while it is open, as a real file dialog may.
    struct Answer {
        std::optional<wxString> path;
        std::filesystem::path wander_to;
    };

    std::deque<Answer> files;
    std::deque<Answer> folders;
    std::vector<wxString> pages;
    std::vector<wxWindow*> owners;      // the owner of each chooser shown
    std::vector<ChooserStart> starts;  // where each opened (the folder chooser's with no name)

    std::optional<wxString> ChooseFile(wxWindow* owner, const ChooserStart& start) override {
        starts.push_back(start);
        return Next(files, owner);
    }
    std::optional<wxString> ChooseFolder(wxWindow* owner, const wxString& start) override {
        starts.push_back({start, wxString()});
        return Next(folders, owner);
    }
    void OpenPage(const wxString& url) override { pages.push_back(url); }

private:
    std::optional<wxString> Next(std::deque<Answer>& answers, wxWindow* owner);
};
