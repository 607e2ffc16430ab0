#include "desktop.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

#include <system_error>

namespace tavui {

namespace {

// A relative path names something in the current folder, as it will for the split.
wxFileName absolute(wxFileName name) {
    name.MakeAbsolute();
    return name;
}

}  // namespace

ChooserStart file_chooser_start(const wxString& source) {
    if (!source.empty()) {
        if (wxFileExists(source)) {
            const wxFileName file = absolute(wxFileName(source));
            return {file.GetPath(), file.GetFullName()};
        }
        if (wxDirExists(source)) return {absolute(wxFileName::DirName(source)).GetPath(), wxString()};
    }
    return {wxGetCwd(), wxString()};
}

wxString folder_chooser_start(const wxString& dest) {
    if (!dest.empty() && wxDirExists(dest)) return absolute(wxFileName::DirName(dest)).GetPath();
    return wxGetCwd();
}

CCurrentDirGuard::CCurrentDirGuard() {
    std::error_code ec;
    saved_ = std::filesystem::current_path(ec);
}

CCurrentDirGuard::~CCurrentDirGuard() {
    if (saved_.empty()) return;
    std::error_code ec;
    std::filesystem::current_path(saved_, ec);
}

std::optional<wxString> find_local_help(const wxString& exe_path, const wxString& data_dir) {
    const wxFileName exe(exe_path);
    const wxString page = exe.GetName() + ".html";
    for (const wxString& dir : {exe.GetPath(), data_dir}) {
        if (dir.empty()) continue;
        const wxFileName candidate(dir, page);
        if (candidate.FileExists()) return candidate.GetFullPath();
    }
    return std::nullopt;
}

std::optional<wxString> local_help_page() {
    const wxStandardPaths& paths = wxStandardPaths::Get();
    return find_local_help(paths.GetExecutablePath(), paths.GetResourcesDir());
}

}  // namespace tavui
