#include "closerequests.h"

#include "maindlg.h"

#include "tav/stoprequest.h"

#include <wx/app.h>

#include <gdk/gdk.h>
#ifdef GDK_WINDOWING_X11
#include <X11/Xlib.h>
#endif

#include <csignal>
#include <cstring>
#include <string_view>
#include <unistd.h>

namespace {

// Ctrl+C in a terminal, a session ending and the terminal going away.
constexpr int kCloseSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The dialog requests go to, while there is one.
CSplitDlg* g_dialog = nullptr;

// The toolkit's own handler of each signal, which has the event loop call
// close_on_signal(), in whatever loop is running (a box's or a menu's too).
void (*toolkit_handler[NSIG])(int);

gboolean request_close(gpointer) {
    if (g_dialog != nullptr) g_dialog->RequestClose();
    return G_SOURCE_REMOVE;
}

// The close may show a box (a failed save) and wait on it; it runs from a
// source of its own, so that the toolkit keeps taking signals meanwhile and
// the next one can take that box away.
void close_on_signal(int) { g_idle_add_full(G_PRIORITY_HIGH, request_close, nullptr, nullptr); }

// Runs where the signal came: a split run may not be back in an event loop
// for a while (a source that never ends, a read that waits), so it is asked
// to stop here.
void on_close_signal(int signal) {
    tav::process_stop_request().request();
    toolkit_handler[signal](signal);
}

void install_signal_handlers() {
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
}

// The display is gone: GDK would end the process at once. Nothing can be
// shown any more; the settings are saved as the close box would, and the
// program ends as it does after that.
[[noreturn]] void end_without_display() {
    if (g_dialog != nullptr) g_dialog->SaveWithoutWindows();
    ::_exit(0);
}

#ifdef GDK_WINDOWING_X11
int on_x_connection_lost(Display*) { end_without_display(); }
#endif

// GDK's Wayland backend says why it ends the process before it does.
bool wayland_connection_lost(std::string_view message) {
    for (const std::string_view why : {"Lost connection to Wayland compositor", "Error flushing display",
                                       "Error reading events from display"})
        if (message.substr(0, why.size()) == why) return true;
    return message.find("dispatching to Wayland display") != std::string_view::npos;
}

GLogWriterOutput on_log(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer) {
    if (level & G_LOG_LEVEL_MESSAGE) {
        std::string_view domain, message;
        for (gsize i = 0; i < count; ++i) {
            const std::string_view key = fields[i].key;
            const auto* value = static_cast<const char*>(fields[i].value);
            if (value == nullptr) continue;
            const std::string_view text(value, fields[i].length < 0 ? std::strlen(value)
                                                                    : static_cast<std::size_t>(fields[i].length));
            if (key == "GLIB_DOMAIN") domain = text;
            if (key == "MESSAGE") message = text;
        }
        if (domain == "Gdk" && wayland_connection_lost(message)) end_without_display();
    }
    return g_log_writer_default(level, fields, count, nullptr);
}

void watch_display() {
#ifdef GDK_WINDOWING_X11
    XSetIOErrorHandler(on_x_connection_lost);
#endif
    // Set once per process: GLib allows only one.
    static const bool logging = (g_log_set_writer_func(on_log, nullptr, nullptr), true);
    (void)logging;
}

}  // namespace

CCloseRequests::CCloseRequests(CSplitDlg& dialog) {
    g_dialog = &dialog;
    install_signal_handlers();
    watch_display();
}

CCloseRequests::~CCloseRequests() { g_dialog = nullptr; }
