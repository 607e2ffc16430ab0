#include "app.h"

#include "maindlg.h"
#include "nativedesktop.h"

#ifdef __UNIX__
#include <csignal>
#endif

#ifdef _WIN32
#include "resource.h"
#include "stringtable.h"

#include <wx/msgdlg.h>
#include <winsock.h>
#endif

wxIMPLEMENT_APP(CSplitApp);

namespace {

#ifdef _WIN32
// Asks for Windows Sockets 1.1, which the program has always required at start-up.
bool sockets_ready() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
    if (data.wVersion != MAKEWORD(1, 1)) {
        WSACleanup();
        return false;
    }
    return true;
}
#endif

#ifdef __UNIX__
// Ctrl+C in a terminal, or a session ending, closes the dialog the way its
// close box does, so the settings are still saved.
void close_on_signal(int) {
    if (wxWindow* top = wxTheApp->GetTopWindow()) top->Close();
}
#endif

}  // namespace

bool CSplitApp::OnInit() {
    // The base class would parse the command line; the program takes no
    // arguments and ignores any it is given.
#ifdef _WIN32
    if (!sockets_ready()) {
        const std::string_view text = res::load_string(res::IDS_SOCKETS_INIT_FAILED);
        wxMessageBox(wxString(text.data(), text.size()), GetAppName(), wxOK | wxICON_EXCLAMATION);
        return false;
    }
#endif
#ifdef __UNIX__
    SetSignalHandler(SIGINT, close_on_signal);
    SetSignalHandler(SIGTERM, close_on_signal);
    // Under a file size limit a write must fail and be reported as one,
    // rather than kill the program half-way through a piece.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    CNativeDesktop desktop;
    CSplitDlg dialog(desktop);
    SetTopWindow(&dialog);
    dialog.ShowModal();
    return true;
}

int CSplitApp::OnRun() { return 0; }
