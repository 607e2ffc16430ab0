// GTK has no groups of controls nor control ids; its arrow keys move the
// focus as GTK users expect.
#include "dialoglayout.h"

#include <wx/stattext.h>

namespace tavui {

void start_group(wxWindow&) {}

void clear_control_id(wxWindow&) {}

void set_plain_text(wxStaticText& label, const wxString& text) { label.SetLabelText(text); }

void keep_arrow_keys_in_groups(wxDialog&) {}

}  // namespace tavui
