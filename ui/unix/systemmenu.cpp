#include "systemmenu.h"

#include "resource.h"
#include "text.h"

#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

namespace {

// dynamic_cast, not wxDynamicCast: that macro casts down before it checks.
bool in_edit_control(const wxWindow* window) { return dynamic_cast<const wxTextCtrl*>(window) != nullptr; }

}  // namespace

CSystemMenu::CSystemMenu(wxDialog& dialog) : dialog_(dialog), own_menu_(std::make_unique<wxMenu>()) {
    const wxString about = tavui::string_resource(res::IDS_ABOUTBOX);
    if (!about.empty()) own_menu_->Append(res::IDM_ABOUTBOX, about);

    dialog_.Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent& event) {
        // Edit controls keep their own clipboard menu.
        if (in_edit_control(dynamic_cast<wxWindow*>(event.GetEventObject()))) {
            event.Skip();
            return;
        }
        dialog_.PopupMenu(own_menu_.get());
    });
    dialog_.Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        const wxWindow* focus = wxWindow::FindFocus();
        // In an edit control these keys open its own clipboard menu.
        if ((key == WXK_MENU || (key == WXK_F10 && event.GetModifiers() == wxMOD_SHIFT)) && !in_edit_control(focus)) {
            // From the keyboard the menu opens below the focused control, not at the mouse.
            dialog_.PopupMenu(own_menu_.get(), focus && focus != &dialog_
                                                    ? dialog_.ScreenToClient(focus->GetScreenRect().GetBottomLeft())
                                                    : wxDefaultPosition);
        } else {
            event.Skip();
        }
    });
}

CSystemMenu::~CSystemMenu() = default;

wxMenu& CSystemMenu::Menu() const { return *own_menu_; }
