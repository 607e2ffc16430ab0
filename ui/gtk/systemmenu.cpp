// The window manager owns the window's menu here: the dialog keeps its own,
// as its background's context menu.
#include "systemmenu.h"

#include "resource.h"
#include "resources.h"

#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

namespace tavui {

namespace {

// dynamic_cast, not wxDynamicCast: that macro casts down before it checks.
bool in_edit_control(const wxWindow* window) { return dynamic_cast<const wxTextCtrl*>(window) != nullptr; }

class CContextMenu : public CSystemMenu {
public:
    explicit CContextMenu(wxDialog& dialog);
    wxMenu& Menu() override { return menu_; }

private:
    wxDialog& dialog_;
    wxMenu menu_;
};

CContextMenu::CContextMenu(wxDialog& dialog) : dialog_(dialog) {
    const wxString about = string_resource(res::IDS_ABOUTBOX);
    if (!about.empty()) menu_.Append(res::IDM_ABOUTBOX, about);

    dialog_.Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent& event) {
        // Edit controls keep their own clipboard menu.
        if (in_edit_control(dynamic_cast<wxWindow*>(event.GetEventObject()))) {
            event.Skip();
            return;
        }
        dialog_.PopupMenu(&menu_);
    });
    dialog_.Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        const wxWindow* focus = wxWindow::FindFocus();
        // In an edit control these keys open its own clipboard menu.
        if ((key == WXK_MENU || (key == WXK_F10 && event.GetModifiers() == wxMOD_SHIFT)) && !in_edit_control(focus)) {
            // From the keyboard the menu opens below the focused control, not at the mouse.
            dialog_.PopupMenu(&menu_, focus && focus != &dialog_
                                          ? dialog_.ScreenToClient(focus->GetScreenRect().GetBottomLeft())
                                          : wxDefaultPosition);
        } else {
            event.Skip();
        }
    });
}

}  // namespace

std::unique_ptr<CSystemMenu> CSystemMenu::For(wxDialog& dialog) { return std::make_unique<CContextMenu>(dialog); }

}  // namespace tavui
