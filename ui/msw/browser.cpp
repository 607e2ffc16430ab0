// The shell takes a file: address for a file name: with a section after it
// ("#about") it looks for a file of that name and finds none. So a local
// page with a section goes straight to the program registered to open pages
// of its kind, with the whole address; where there is none, the page itself
// is opened, at its top.
#include "browser.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/uri.h>
#include <wx/utils.h>
#include <wx/msw/wrapwin.h>

#include <shlwapi.h>

#include <iterator>
#include <string>

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

void open_in_browser(const wxString& url) {
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
