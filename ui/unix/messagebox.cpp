// GTK has one kind of message dialog; the toolkit's is the system's.
#include "messagebox.h"

#include <wx/utils.h>

#include <gtk/gtk.h>

int CMessageBox::ShowModal() {
    // While the box waits for the user, the program is not busy.
    const wxBusyCursorSuspender normal_cursor;
    return wxMessageDialog::ShowModal();
}

void CMessageBox::Dismiss() {
    // The toolkit runs the box in a loop of its own, which only an answer ends.
    if (GtkWidget* box = GetHandle()) gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_DELETE_EVENT);
}
