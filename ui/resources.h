// What the dialogs take from the program's resources (res/): the application
// icon, a page cut in two, in 32 x 32 and 16 x 16, and the string table's
// texts as the dialogs show them.
#pragma once

#include <wx/iconbndl.h>
#include <wx/string.h>

namespace tavui {

wxIconBundle app_icons();
wxIcon app_icon_large();

// String-table entry `id` as the dialogs show it; empty if there is none.
wxString string_resource(int id);

}  // namespace tavui
