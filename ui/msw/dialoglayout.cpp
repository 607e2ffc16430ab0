// The template's styles set on the toolkit's windows. The toolkit moves the
// focus on an arrow key to the next control in tab order, across groups;
// here the arrow keys do what the system's dialog manager does with the
// template's groups instead.
#include "dialoglayout.h"

#include <wx/dialog.h>
#include <wx/stattext.h>
#include <wx/msw/private.h>

namespace tavui {

namespace {

void add_style(wxWindow& control, LONG_PTR style) {
    const HWND window = control.GetHWND();
    ::SetWindowLongPtrW(window, GWL_STYLE, ::GetWindowLongPtrW(window, GWL_STYLE) | style);
}

bool arrow_key_down() {
    for (const int key : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN})
        if (::GetKeyState(key) < 0) return true;
    return false;
}

// The toolkit turns an arrow key that the focused control does not want
// into a navigation event (forward for Right and Down). Here the next
// control of the focused one's group (the previous one going back),
// wrapping around within the group, takes the focus; a label there takes
// none, and an edit control gets its text selected.
void OnNavigationKey(wxDialog& dialog, wxNavigationKeyEvent& event) {
    const HWND focus = ::GetFocus();
    if (event.IsFromTab() || event.IsWindowChange() || !arrow_key_down() || !::IsChild(dialog.GetHWND(), focus)) {
        event.Skip();
        return;
    }
    const HWND next = ::GetNextDlgGroupItem(dialog.GetHWND(), focus, !event.GetDirection());
    if (next == nullptr || next == focus) return;
    const LRESULT code = ::SendMessageW(next, WM_GETDLGCODE, 0, 0);
    if (code & DLGC_STATIC) return;
    if (code & DLGC_HASSETSEL) ::SendMessageW(next, EM_SETSEL, 0, -1);
    if (wxWindow* control = wxFindWinFromHandle(next))
        control->SetFocus();
    else
        ::SetFocus(next);
}

}  // namespace

void start_group(wxWindow& control) { add_style(control, WS_GROUP); }

void clear_control_id(wxWindow& control) { ::SetWindowLongPtrW(control.GetHWND(), GWLP_ID, -1); }

void set_plain_text(wxStaticText& label, const wxString& text) {
    label.SetLabelText(text);  // what the toolkit reports of it
    add_style(label, SS_NOPREFIX);
    ::SetWindowTextW(label.GetHWND(), text.wc_str());
}

void keep_arrow_keys_in_groups(wxDialog& dialog) {
    dialog.Bind(wxEVT_NAVIGATION_KEY, [&dialog](wxNavigationKeyEvent& event) { OnNavigationKey(dialog, event); });
}

}  // namespace tavui
