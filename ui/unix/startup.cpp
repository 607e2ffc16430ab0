#include "startup.h"

#include "tav/stoprequest.h"

#include <wx/app.h>
#include <wx/window.h>

#include <csignal>

namespace {

// Ctrl+C in a terminal, a session ending and the terminal going away.
constexpr int kCloseSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The toolkit's own handler of each of them, which has the event loop call
// close_on_signal().
void (*toolkit_handler[NSIG])(int);

// These close the dialog the way its close box does, so the settings are
// still saved.
void close_on_signal(int) {
    if (wxWindow* top = wxTheApp->GetTopWindow()) top->Close();
}

// Runs where the signal came: a split run may not be back in the event loop
// for a long time (a source that never ends), so it is asked to stop here,
// and reads waiting on a FIFO or terminal are interrupted rather than
// restarted.
void on_close_signal(int signal) {
    tav::process_stop_request().request();
    toolkit_handler[signal](signal);
}

}  // namespace

bool prepare_platform() {
    for (const int signal : kCloseSignals) {
        wxTheApp->SetSignalHandler(signal, close_on_signal);
        struct sigaction toolkit {};
        ::sigaction(signal, nullptr, &toolkit);
        toolkit_handler[signal] = toolkit.sa_handler;
        struct sigaction ours {};
        ours.sa_handler = on_close_signal;
        for (const int other : kCloseSignals) sigaddset(&ours.sa_mask, other);
        ::sigaction(signal, &ours, nullptr);
    }
    // Under a file size limit a write must fail and be reported as one,
    // rather than kill the program half-way through a piece.
    std::signal(SIGXFSZ, SIG_IGN);
    return true;
}
