// What the platform needs around the main dialog: what it prepares before
// the dialog opens, and the requests to end that come from outside the
// dialog's own windows. Each platform has its own file: gtk/startup.cpp (with
// the POSIX signals of unix/signals.cpp), msw/startup.cpp.
#pragma once

class CSplitDlg;

namespace tavui {

// Returns false when the program cannot run here: the user has been told why,
// and the process must end without opening the dialog.
bool prepare_platform();

// Requests to end from outside the dialog's own windows: signals and the
// display going away on Unix, the session ending on Windows. While an object
// of this type lives, each one closes the dialog as its close box would,
// whatever is open over it, or, where nothing can be shown any more or the
// process may be ended at any moment, saves the values last read at once and
// ends the process.
class CCloseRequests {
public:
    explicit CCloseRequests(CSplitDlg& dialog);
    ~CCloseRequests();
    CCloseRequests(const CCloseRequests&) = delete;
    CCloseRequests& operator=(const CCloseRequests&) = delete;
};

}  // namespace tavui
