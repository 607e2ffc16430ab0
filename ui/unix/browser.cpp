// GTK hands the whole address, section and all, to the browser.
#include "browser.h"

#include <wx/log.h>
#include <wx/utils.h>

void open_in_browser(const wxString& url) {
    // Without a browser wx would log an error and show it in a box of its own.
    wxLogNull quiet;
    wxLaunchDefaultBrowser(url);
}
