// The window's menu of commands with the About entry (string 101, command
// 0x0010) at its end. On Windows that is the real system menu. Where the
// window manager owns that menu (GTK), the dialog keeps a menu of its own and
// offers it as the context menu of its background, also opened by the menu
// key or Shift+F10. Choosing the entry sends the dialog a wxEVT_MENU event
// with the command. Each platform has its own file: unix/systemmenu.cpp,
// msw/systemmenu.cpp.
#pragma once

#include <memory>

class wxDialog;
class wxMenu;

class CSystemMenu {
public:
    // Adds the entry; the dialog must outlive this object.
    explicit CSystemMenu(wxDialog& dialog);
    ~CSystemMenu();
    CSystemMenu(const CSystemMenu&) = delete;
    CSystemMenu& operator=(const CSystemMenu&) = delete;

    // The menu as the user sees it.
    wxMenu& Menu() const;

private:
    wxDialog& dialog_;
    std::unique_ptr<wxMenu> own_menu_;  // only where the dialog keeps its own
};
