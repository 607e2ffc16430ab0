#include "resources.h"

#include "stringtable.h"
#include "text.h"

#include <wx/icon.h>

#include "tavendrillox16.xpm"
#include "tavendrillox32.xpm"

namespace tavui {

wxIconBundle app_icons() {
    wxIconBundle icons;
    icons.AddIcon(app_icon_large());
    icons.AddIcon(wxIcon(tavendrillox16_xpm));
    return icons;
}

wxIcon app_icon_large() { return wxIcon(tavendrillox32_xpm); }

wxString string_resource(int id) { return to_wx(std::string(res::load_string(id))); }

}  // namespace tavui
