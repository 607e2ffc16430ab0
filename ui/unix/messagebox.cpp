// GTK has one kind of message dialog; the toolkit's is the system's.
#include "messagebox.h"

#include <wx/utils.h>

int CMessageBox::ShowModal() {
    // While the box waits for the user, the program is not busy.
    const wxBusyCursorSuspender normal_cursor;
    return wxMessageDialog::ShowModal();
}
