// Requests to end that come from outside the dialog's own windows: signals
// and the display going away on Unix, the session ending on Windows. While an
// object of this type lives, each one closes the dialog as its close box
// would, whatever is open over it, or, where nothing can be shown any more or
// the process may be ended at any moment, saves the values last read at once
// and ends the process. Each platform has its own file:
// unix/closerequests.cpp, msw/closerequests.cpp.
#pragma once

class CSplitDlg;

class CCloseRequests {
public:
    explicit CCloseRequests(CSplitDlg& dialog);
    ~CCloseRequests();
    CCloseRequests(const CCloseRequests&) = delete;
    CCloseRequests& operator=(const CCloseRequests&) = delete;
};
