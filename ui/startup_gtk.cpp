#include "startup.h"

#include <wx/app.h>
#include <wx/window.h>

#include <csignal>

namespace {

// Ctrl+C in a terminal, or a session ending, closes the dialog the way its
// close box does, so the settings are still saved.
void close_on_signal(int) {
    if (wxWindow* top = wxTheApp->GetTopWindow()) top->Close();
}

}  // namespace

bool prepare_platform() {
    wxTheApp->SetSignalHandler(SIGINT, close_on_signal);
    wxTheApp->SetSignalHandler(SIGTERM, close_on_signal);
    // Under a file size limit a write must fail and be reported as one,
    // rather than kill the program half-way through a piece.
    std::signal(SIGXFSZ, SIG_IGN);
    return true;
}
