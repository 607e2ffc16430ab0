// Takes away every window that waits over `owner` for an answer (a chooser, a
// dialog box, a message box, a menu) as if the user had cancelled it, so that
// a request to end is carried out whatever is open. The handler that opened
// it then goes on as after a cancel. Each platform has its own file:
// unix/modalwindows.cpp, msw/modalwindows.cpp.
#pragma once

class wxWindow;

void close_modal_windows(wxWindow& owner);
