#include "nativedesktop.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/log.h>
#include <wx/utils.h>

std::optional<wxString> CNativeDesktop::ChooseFile(wxWindow* owner) {
    // No existence check: a typed name of a file that does not exist is taken.
    wxFileDialog dialog(owner, wxFileSelectorPromptStr, wxString(), wxString(), "All Files (*.*)|*.*",
                        wxFD_OPEN);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    wxString path = dialog.GetPath();
    if (path.empty()) return std::nullopt;
    return path;
}

std::optional<wxString> CNativeDesktop::ChooseFolder(wxWindow* owner) {
    wxDirDialog dialog(owner, "Browse for Folders", wxString(), wxDD_DEFAULT_STYLE);
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
