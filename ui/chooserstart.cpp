#include "chooserstart.h"

#include <wx/filefn.h>
#include <wx/filename.h>

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
