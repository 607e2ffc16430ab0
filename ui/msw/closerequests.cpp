// Windows asks each program whether the session may end, then tells it that
// it ends, after which it may end the process at any moment. The toolkit's
// own answer to the second would delete the dialog, which lives on the
// application's stack; the program answers both itself.
#include "closerequests.h"

#include "maindlg.h"

#include <wx/app.h>
#include <wx/msw/wrapwin.h>

namespace {

// The dialog requests go to, while there is one.
CSplitDlg* g_dialog = nullptr;

// The session may end: the dialog closes as its close box would, as far as
// it gets before the session does.
void on_query_end_session(wxCloseEvent& event) {
    if (g_dialog != nullptr)
        g_dialog->RequestClose();
    else
        event.Skip();
}

void on_end_session(wxCloseEvent& event) {
    if (g_dialog == nullptr) {
        event.Skip();
        return;
    }
    g_dialog->SaveWithoutWindows();
    ::ExitProcess(0);
}

}  // namespace

CCloseRequests::CCloseRequests(CSplitDlg& dialog) {
    g_dialog = &dialog;
    wxTheApp->Bind(wxEVT_QUERY_END_SESSION, on_query_end_session);
    wxTheApp->Bind(wxEVT_END_SESSION, on_end_session);
}

CCloseRequests::~CCloseRequests() {
    g_dialog = nullptr;
    wxTheApp->Unbind(wxEVT_QUERY_END_SESSION, on_query_end_session);
    wxTheApp->Unbind(wxEVT_END_SESSION, on_end_session);
}
