#include "nativedesktop.h"

#include <wx/filedlg.h>
#include <wx/msw/wrapwin.h>

#include <shlobj.h>

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
