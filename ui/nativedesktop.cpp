// What every desktop does alike. The choosers differ: unix/nativedesktop.cpp,
// msw/nativedesktop.cpp.
#include "nativedesktop.h"

#include "browser.h"

void CNativeDesktop::OpenPage(const wxString& url) { open_in_browser(url); }
