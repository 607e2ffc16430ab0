// What every desktop does alike. The choosers differ: nativedesktop_gtk.cpp,
// nativedesktop_msw.cpp.
#include "nativedesktop.h"

#include <wx/log.h>
#include <wx/utils.h>

void CNativeDesktop::OpenPage(const wxString& url) {
    // Without a browser wx would log an error and show it in a box of its own.
    wxLogNull quiet;
    wxLaunchDefaultBrowser(url);
}
