// Signals close the dialog through GTK's event loop; GDK's end when the
// display goes away is turned into a save first.
#include "startup.h"

#include "maindlg.h"
#include "unix/signals.h"

#include <gdk/gdk.h>
#ifdef GDK_WINDOWING_X11
#include <X11/Xlib.h>
#endif

#include <cstring>
#include <string_view>
#include <unistd.h>

namespace tavui {

namespace {

// The dialog requests go to, while there is one.
CSplitDlg* g_dialog = nullptr;

gboolean request_close(gpointer) {
    if (g_dialog != nullptr) g_dialog->RequestClose();
    return G_SOURCE_REMOVE;
}

// The close may show a box (a failed save) and wait on it; it runs from a
// source of its own, so that the toolkit keeps taking signals meanwhile and
// the next one can take that box away.
void close_on_signal() { g_idle_add_full(G_PRIORITY_HIGH, request_close, nullptr, nullptr); }

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

bool prepare_platform() {
    ignore_write_signals();
    return true;
}

CCloseRequests::CCloseRequests(CSplitDlg& dialog) {
    g_dialog = &dialog;
    on_close_signals(close_on_signal);
    watch_display();
}

CCloseRequests::~CCloseRequests() { g_dialog = nullptr; }

}  // namespace tavui
