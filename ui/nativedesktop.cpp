#include "nativedesktop.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/log.h>
#include <wx/utils.h>

namespace {

// "*.*" means every file on Windows; elsewhere it would hide names without a dot.
#ifdef __WINDOWS__
constexpr const char* kAllFiles = "All Files (*.*)|*.*";
#else
constexpr const char* kAllFiles = "All Files (*.*)|*";
#endif

}  // namespace

std::optional<wxString> CNativeDesktop::ChooseFile(wxWindow* owner) {
    wxFileDialog dialog(owner, wxFileSelectorPromptStr, wxString(), wxString(), kAllFiles, wxFD_OPEN);
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
