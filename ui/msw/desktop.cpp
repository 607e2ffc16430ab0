// The system's Open dialog, the shell's folder browser, and pages opened in
// the browser. The shell takes a file: address for a file name: with a
// section after it ("#about") it looks for a file of that name and finds
// none. So a local page with a section goes straight to the program
// registered to open pages of its kind, with the whole address; where there
// is none, the page itself is opened, at its top.
#include "desktop.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/uri.h>
#include <wx/utils.h>
#include <wx/msw/wrapwin.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <iterator>
#include <string>

namespace tavui {

namespace {

// Opens the folder browser on the folder the field points to.
int CALLBACK select_start(HWND browser, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED) ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

}  // namespace

std::optional<wxString> CNativeDesktop::ChooseFile(wxWindow* owner, const ChooserStart& start) {
    wxFileDialog dialog(owner, "Open", start.folder, start.name, "All Files (*.*)|*.*", wxFD_OPEN);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    wxString path = dialog.GetPath();
    if (path.empty()) return std::nullopt;
    return path;
}

// The shell's own folder browser, rooted at the desktop; the title is the
// line above its tree (the window's caption is the system's).
std::optional<wxString> CNativeDesktop::ChooseFolder(wxWindow* owner, const wxString& start) {
    const std::wstring start_folder = start.ToStdWstring();
    BROWSEINFOW browse{};
    browse.hwndOwner = owner ? static_cast<HWND>(owner->GetHWND()) : nullptr;
    browse.lpszTitle = L"Browse for Folders";
    browse.lpfn = select_start;
    browse.lParam = reinterpret_cast<LPARAM>(start_folder.c_str());
    const PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&browse);
    if (item == nullptr) return std::nullopt;
    wchar_t path[MAX_PATH] = L"";
    const bool has_path = ::SHGetPathFromIDListW(item, path);
    ::CoTaskMemFree(item);
    // A choice without a file-system path (a printer, say) counts as none.
    if (!has_path || path[0] == L'\0') return std::nullopt;
    return wxString(path);
}

namespace {

// The command line that opens files ending in `extension` (".html"), with
// its environment variables expanded; empty if there is none.
std::wstring open_command(const wxString& extension) {
    wchar_t command[2048];
    DWORD size = static_cast<DWORD>(std::size(command));
    if (FAILED(::AssocQueryStringW(ASSOCF_NOTRUNCATE, ASSOCSTR_COMMAND, extension.wc_str(), L"open", command, &size)))
        return {};
    wchar_t expanded[2048];
    const DWORD length = ::ExpandEnvironmentStringsW(command, expanded, static_cast<DWORD>(std::size(expanded)));
    if (length == 0 || length > std::size(expanded)) return {};
    return expanded;
}

// `command` with `argument` for the file it names (%1, %L), or after it.
std::wstring with_argument(const std::wstring& command, const std::wstring& argument) {
    std::wstring line;
    bool placed = false;
    for (size_t i = 0; i < command.size(); ++i) {
        const wchar_t next = i + 1 < command.size() ? command[i + 1] : L'\0';
        if (command[i] == L'%' && (next == L'1' || next == L'L' || next == L'l')) {
            line += argument;
            placed = true;
            ++i;
        } else if (command[i] == L'%' && next == L'*') {
            ++i;  // the further arguments, of which there are none
        } else {
            line += command[i];
        }
    }
    if (!placed) line += L" \"" + argument + L"\"";
    return line;
}

bool run(std::wstring command) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

}  // namespace

void CNativeDesktop::OpenPage(const wxString& url) {
    // Without a browser wx would log an error and show it in a box of its own.
    wxLogNull quiet;
    const wxURI address(url);
    if (address.GetScheme() == "file" && address.HasFragment()) {
        const wxString page = url.BeforeFirst('#');
        const std::wstring command = open_command("." + wxFileName::URLToFileName(page).GetExt());
        if (!command.empty() && run(with_argument(command, url.ToStdWstring()))) return;
        wxLaunchDefaultBrowser(page);
        return;
    }
    wxLaunchDefaultBrowser(url);
}

}  // namespace tavui
