// The toolkit turns a system command it finds in the system menu, with the
// system's low four bits cleared, into a wxEVT_MENU event for the dialog.
#include "systemmenu.h"

#include "resource.h"
#include "resources.h"

#include <wx/dialog.h>
#include <wx/menu.h>

namespace tavui {

namespace {

class CWindowsSystemMenu : public CSystemMenu {
public:
    explicit CWindowsSystemMenu(wxDialog& dialog) : dialog_(dialog) {}
    wxMenu& Menu() override { return *dialog_.MSWGetSystemMenu(); }

private:
    wxDialog& dialog_;
};

}  // namespace

std::unique_ptr<CSystemMenu> CSystemMenu::For(wxDialog& dialog) {
    auto menu = std::make_unique<CWindowsSystemMenu>(dialog);
    const wxString about = string_resource(res::IDS_ABOUTBOX);
    if (!about.empty()) {
        menu->Menu().AppendSeparator();
        menu->Menu().Append(res::IDM_ABOUTBOX, about);
    }
    return menu;
}

}  // namespace tavui
