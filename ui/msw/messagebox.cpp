// The system's MessageBox, as every Windows program's notices look. The
// toolkit's own box would be a task dialog wherever common controls 6 are
// loaded (the program's manifest asks for them), with other keys and looks.
// The box draws its own arrow cursor, even while the program is busy.
//
// Windows' modal windows (message boxes, the file and folder choosers, the
// toolkit's dialogs) are captioned windows of this thread owned by the
// dialog; each takes WM_CLOSE as its close box, which a system dialog
// answers as Cancel. A menu ends with the thread's menu mode.
#include "messagebox.h"

#include <wx/modalhook.h>
#include <wx/msw/wrapwin.h>
#include <wx/window.h>

namespace tavui {

int CMessageBox::ShowModal() {
    WX_HOOK_MODAL_DIALOG();
    const long style = GetMessageDialogStyle();
    UINT type = MB_OK;
    if (style & wxICON_EXCLAMATION) type |= MB_ICONEXCLAMATION;
    // Both disable the owner; a system-modal box also stays above every other window.
    type |= (style & wxSTAY_ON_TOP) ? MB_SYSTEMMODAL : MB_APPLMODAL;
    const HWND owner = m_parent ? static_cast<HWND>(m_parent->GetHWND()) : nullptr;
    ::MessageBoxW(owner, GetMessage().wc_str(), GetCaption().wc_str(), type);
    return wxID_OK;
}

void close_modal_windows(wxWindow& owner) {
    ::EndMenu();
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM dialog) -> BOOL {
            const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
            if (!::IsWindowVisible(window) || (style & WS_CAPTION) != WS_CAPTION) return TRUE;
            for (HWND above = ::GetWindow(window, GW_OWNER); above != nullptr; above = ::GetWindow(above, GW_OWNER)) {
                if (above == reinterpret_cast<HWND>(dialog)) {
                    ::PostMessageW(window, WM_CLOSE, 0, 0);
                    break;
                }
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(owner.GetHWND()));
}

}  // namespace tavui
