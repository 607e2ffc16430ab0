// The window's menu of commands with the About entry (string 101, command
// 0x0010) at its end. On Windows that is the real system menu. Where the
// window manager owns that menu (GTK), the dialog keeps a menu of its own and
// offers it as the context menu of its background, also opened by the menu
// key or Shift+F10. Choosing the entry sends the dialog a wxEVT_MENU event
// with the command. Each platform has its own file: gtk/systemmenu.cpp,
// msw/systemmenu.cpp.
#pragma once

#include <memory>

class wxDialog;
class wxMenu;

namespace tavui {

class CSystemMenu {
public:
    virtual ~CSystemMenu() = default;
    // The menu as the user sees it.
    virtual wxMenu& Menu() = 0;

    // Adds the entry to `dialog`'s menu; the dialog must outlive the result.
    static std::unique_ptr<CSystemMenu> For(wxDialog& dialog);
};

}  // namespace tavui
