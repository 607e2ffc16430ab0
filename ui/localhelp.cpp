#include "localhelp.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>

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
