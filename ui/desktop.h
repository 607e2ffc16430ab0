// What the dialog asks of the desktop: picking a file or a folder, and opening
// a page in the user's browser, the local help page among them. The program
// uses the native desktop; tests script the answers. The choosers and the
// browser launch differ by platform: gtk/desktop.cpp, msw/desktop.cpp.
#pragma once

#include <wx/string.h>

#include <filesystem>
#include <optional>

class wxWindow;

namespace tavui {

// Where a chooser opens: an existing folder, and a file there to select
// (empty for none).
struct ChooserStart {
    wxString folder;
    wxString name;
    friend bool operator==(const ChooserStart&, const ChooserStart&) = default;
};

class CDesktop {
public:
    virtual ~CDesktop() = default;
    // The full path of the file the user confirmed (it need not exist), or
    // nothing if the user cancelled.
    virtual std::optional<wxString> ChooseFile(wxWindow* owner, const ChooserStart& start) = 0;
    // The folder the user confirmed, or nothing if the user cancelled or the
    // choice has no file-system path. `start` is an existing folder.
    virtual std::optional<wxString> ChooseFolder(wxWindow* owner, const wxString& start) = 0;
    // Opens a page (http or file address) in the browser; failures are silent.
    virtual void OpenPage(const wxString& url) = 0;
};

// The toolkit's own open-file dialog, folder chooser and browser launch.
class CNativeDesktop : public CDesktop {
public:
    std::optional<wxString> ChooseFile(wxWindow* owner, const ChooserStart& start) override;
    std::optional<wxString> ChooseFolder(wxWindow* owner, const wxString& start) override;
    void OpenPage(const wxString& url) override;
};

// Where the Browse buttons' choosers open: where the field already points, so
// that a user changing a file or folder starts next to the old one. For
// SOURCE: its folder with the file selected when it names a file, the folder
// itself when it names one, the current folder otherwise.
ChooserStart file_chooser_start(const wxString& source);
// For DEST: the folder it names, or the current folder.
wxString folder_chooser_start(const wxString& dest);

// Keeps the process's current directory across a system file or folder
// dialog, so that files opened by a bare name (the settings file) stay in the
// folder the program was started from.
class CCurrentDirGuard {
public:
    CCurrentDirGuard();
    // Changes back to the noted directory; a failure is silent.
    ~CCurrentDirGuard();
    CCurrentDirGuard(const CCurrentDirGuard&) = delete;
    CCurrentDirGuard& operator=(const CCurrentDirGuard&) = delete;

private:
    std::filesystem::path saved_;  // empty when the current directory could not be read
};

// The local help page: an HTML page named after the executable, next to it
// (a build folder) or in the program's installed data folder. exe_path: the
// running executable; data_dir: its installed data folder. The first page
// found, or nothing if neither place has one.
std::optional<wxString> find_local_help(const wxString& exe_path, const wxString& data_dir);
// The same for the running program.
std::optional<wxString> local_help_page();

}  // namespace tavui
