// Opens an http or file address in the user's browser, a section of a local
// page included; failures are silent. Each platform has its own file:
// unix/browser.cpp, msw/browser.cpp.
#pragma once

class wxString;

void open_in_browser(const wxString& url);
