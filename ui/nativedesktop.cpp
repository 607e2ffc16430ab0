// What every desktop does alike. The choosers differ: nativedesktop_gtk.cpp,
// nativedesktop_msw.cpp.
#include "nativedesktop.h"

#include "browser.h"

void CNativeDesktop::OpenPage(const wxString& url) { open_in_browser(url); }
