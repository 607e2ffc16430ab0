// GTK has one kind of message dialog; the toolkit's is the system's. GTK runs
// each modal window (a message box, a chooser, a wx dialog) and each popup
// menu in a loop of its own; closing the window or cancelling the menu ends
// that loop as the user would.
#include "messagebox.h"

#include <wx/utils.h>
#include <wx/window.h>

#include <gtk/gtk.h>

namespace tavui {

int CMessageBox::ShowModal() {
    // While the box waits for the user, the program is not busy.
    const wxBusyCursorSuspender normal_cursor;
    return wxMessageDialog::ShowModal();
}

void close_modal_windows(wxWindow& owner) {
    // Held while closing some of them destroys them.
    GList* const windows = gtk_window_list_toplevels();
    for (GList* item = windows; item != nullptr; item = item->next) g_object_ref(item->data);
    for (GList* item = windows; item != nullptr; item = item->next) {
        auto* const window = GTK_WINDOW(item->data);
        if (GTK_WIDGET(window) == owner.GetHandle() || !gtk_widget_get_visible(GTK_WIDGET(window))) continue;
        GtkWidget* const child = gtk_bin_get_child(GTK_BIN(window));
        if (child != nullptr && GTK_IS_MENU(child))
            gtk_menu_shell_cancel(GTK_MENU_SHELL(child));
        else if (gtk_window_get_modal(window))
            gtk_window_close(window);  // as its close box: a dialog answers "cancelled"
    }
    g_list_free_full(windows, g_object_unref);
}

}  // namespace tavui
