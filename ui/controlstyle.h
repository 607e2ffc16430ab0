// What the dialog templates say of their controls beyond place and text, as
// far as the window system has a use for it: where a group of controls
// starts (the arrow keys move the focus within a group), which labels are
// known by no id, and which text is shown without mnemonic processing.
// Each platform has its own file: unix/controlstyle.cpp, msw/controlstyle.cpp.
#pragma once

class wxDialog;
class wxStaticText;
class wxString;
class wxWindow;

// Marks `control` as the first of a group.
void start_group(wxWindow& control);
// Gives a label or icon the template's id for "no id" (IDC_STATIC).
void clear_control_id(wxWindow& control);
// Shows `text` as it is: an "&" stays an "&" and marks no key.
void set_plain_text(wxStaticText& label, const wxString& text);
// Makes the arrow keys move the focus within its group of controls, as in
// the system's dialogs; Tab still goes through every control.
void keep_arrow_keys_in_groups(wxDialog& dialog);
