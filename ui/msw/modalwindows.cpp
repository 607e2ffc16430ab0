// Windows' modal windows (message boxes, the file and folder choosers, the
// toolkit's dialogs) are captioned windows of this thread owned by the
// dialog; each takes WM_CLOSE as its close box, which a system dialog
// answers as Cancel. A menu ends with the thread's menu mode.
#include "modalwindows.h"

#include <wx/msw/wrapwin.h>
#include <wx/window.h>

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
