#include "appicon.h"

#include <wx/icon.h>
#include <wx/iconbndl.h>

#include "tavendrillox16.xpm"
#include "tavendrillox32.xpm"

wxIconBundle app_icons() {
    wxIconBundle icons;
    icons.AddIcon(app_icon_large());
    icons.AddIcon(wxIcon(tavendrillox16_xpm));
    return icons;
}

wxIcon app_icon_large() { return wxIcon(tavendrillox32_xpm); }
