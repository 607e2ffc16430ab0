#include "signals.h"

#include "tav/stoprequest.h"

#include <wx/app.h>

#include <csignal>

namespace tavui {

namespace {

constexpr int kCloseSignals[] = {SIGINT, SIGTERM, SIGHUP};

void (*g_close)() = nullptr;

// The toolkit's own handler of each signal, which has the event loop call
// in_event_loop().
void (*toolkit_handler[NSIG])(int);

void in_event_loop(int) {
    if (g_close != nullptr) g_close();
}

void on_close_signal(int signal) {
    tav::process_stop_request().request();
    toolkit_handler[signal](signal);
}

}  // namespace

void ignore_write_signals() {
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

void on_close_signals(void (*close)()) {
    g_close = close;
    for (const int signal : kCloseSignals) {
        wxTheApp->SetSignalHandler(signal, in_event_loop);
        struct sigaction toolkit {};
        ::sigaction(signal, nullptr, &toolkit);
        toolkit_handler[signal] = toolkit.sa_handler;
        struct sigaction ours {};
        ours.sa_handler = on_close_signal;
        for (const int other : kCloseSignals) sigaddset(&ours.sa_mask, other);
        ::sigaction(signal, &ours, nullptr);
    }
}

}  // namespace tavui
