#include "systemmenu.h"

#include "resource.h"
#include "text.h"

#include <wx/dialog.h>
#include <wx/menu.h>

// The toolkit turns a system command it finds in this menu, with the
// system's low four bits cleared, into a wxEVT_MENU event for the dialog.
CSystemMenu::CSystemMenu(wxDialog& dialog) : dialog_(dialog) {
    const wxString about = tavui::string_resource(res::IDS_ABOUTBOX);
    if (about.empty()) return;
    wxMenu& menu = Menu();
    menu.AppendSeparator();
    menu.Append(res::IDM_ABOUTBOX, about);
}

CSystemMenu::~CSystemMenu() = default;

wxMenu& CSystemMenu::Menu() const { return *dialog_.MSWGetSystemMenu(); }
