// GTK's own file chooser dialogs, and the desktop's browser, which gets the
// whole address, section and all.
#include "desktop.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/log.h>
#include <wx/utils.h>

namespace tavui {

std::optional<wxString> CNativeDesktop::ChooseFile(wxWindow* owner, const ChooserStart& start) {
    // "*", not "*.*": here that would hide the names without a dot.
    wxFileDialog dialog(owner, wxFileSelectorPromptStr, start.folder, start.name, "All Files (*.*)|*", wxFD_OPEN);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    wxString path = dialog.GetPath();
    if (path.empty()) return std::nullopt;
    return path;
}

std::optional<wxString> CNativeDesktop::ChooseFolder(wxWindow* owner, const wxString& start) {
    // Without a folder to start in, GTK's chooser opens on an empty list of
    // recent files with Open greyed out.
    wxDirDialog dialog(owner, "Browse for Folders", start, wxDD_DEFAULT_STYLE);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    wxString path = dialog.GetPath();
    if (path.empty()) return std::nullopt;
    return path;
}

void CNativeDesktop::OpenPage(const wxString& url) {
    // Without a browser wx would log an error and show it in a box of its own.
    wxLogNull quiet;
    wxLaunchDefaultBrowser(url);
}

}  // namespace tavui
