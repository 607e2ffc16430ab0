// The template's styles set on the toolkit's windows. The toolkit moves the
// focus on an arrow key to the next control in tab order, across groups;
// here the arrow keys do what the system's dialog manager does with the
// template's groups instead.
#include "controlstyle.h"

#include <wx/dialog.h>
#include <wx/stattext.h>
#include <wx/msw/private.h>

namespace {

void add_style(wxWindow& control, LONG_PTR style) {
    const HWND window = control.GetHWND();
    ::SetWindowLongPtrW(window, GWL_STYLE, ::GetWindowLongPtrW(window, GWL_STYLE) | style);
}

bool is_arrow(int key) { return key == WXK_LEFT || key == WXK_RIGHT || key == WXK_UP || key == WXK_DOWN; }

// The next control of the focused one's group (the previous one for Left
// and Up), wrapping around within the group, takes the focus; a label
// there takes none, and an edit control gets its text selected. A control
// that wants the arrow keys keeps them.
void OnArrowKey(wxDialog& dialog, wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    const HWND focus = ::GetFocus();
    if (!is_arrow(key) || event.GetModifiers() != wxMOD_NONE || !::IsChild(dialog.GetHWND(), focus) ||
        (::SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS)) {
        event.Skip();
        return;
    }
    const HWND next = ::GetNextDlgGroupItem(dialog.GetHWND(), focus, key == WXK_LEFT || key == WXK_UP);
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
    dialog.Bind(wxEVT_CHAR_HOOK, [&dialog](wxKeyEvent& event) { OnArrowKey(dialog, event); });
}
