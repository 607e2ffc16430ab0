// Windows start-up, and the session's end. Windows asks each program whether
// the session may end, then tells it that it ends, after which it may end the
// process at any moment. The toolkit's own answer to the second would delete
// the dialog, which lives on the application's stack; the program answers
// both itself.
#include "startup.h"
#include "startupseam.h"

#include "maindlg.h"
#include "messagebox.h"
#include "resource.h"
#include "resources.h"

#include <wx/app.h>
#include <wx/msw/wrapwin.h>

#include <winsock.h>

namespace tavui {

bool sockets_ready() {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
    if (data.wVersion != MAKEWORD(1, 1)) {
        ::WSACleanup();
        return false;
    }
    // Never released: the end of the process does that.
    return true;
}

bool prepare_platform() { return prepare_platform(sockets_ready); }

bool prepare_platform(const std::function<bool()>& sockets_check) {
    // Opening a path on a drive without a medium simply fails, and the
    // program's own message follows, instead of the system asking for a disk.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    if (!sockets_check()) {
        CMessageBox box(nullptr, string_resource(res::IDS_SOCKETS_INIT_FAILED), wxTheApp->GetAppName(),
                        wxOK | wxICON_EXCLAMATION);
        box.ShowModal();
        return false;
    }
    return true;
}

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

}  // namespace tavui
