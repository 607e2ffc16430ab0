// What a screen reader reads for the main dialog's fields and its two Browse
// buttons. The dialog's order puts both labels of a pair before both edits,
// and the toolkits name an edit after the text created just before it: the
// other field's label, or none. Here each edit is named by its own label and
// each Browse button gets a description that tells the two apart, through
// the platform's accessibility interface, without moving anything on screen
// or changing the tab order. Each platform has its own file:
// gtk/accessibility.cpp (ATK, read through at-spi), msw/accessibility.cpp
// (the system's annotation of existing controls, read through MSAA and UI
// Automation).
#pragma once

class wxControl;
class wxDialog;
class wxEvent;
class wxString;
class wxWindow;

namespace tavui {

// Names the main dialog's four edits and describes its two Browse buttons;
// false if a control is missing or the platform refused any of it. The
// dialog works the same either way, so nothing is told to the user.
bool name_fields_for_screen_readers(wxDialog& dialog);

// The platform's part. `edit` is read by `label`'s text and, where the
// platform relates the two, `label` is the one and only label of `edit`.
bool set_accessible_label(wxWindow& edit, wxControl& label);
// A description read after the control's own name.
bool set_accessible_description(wxWindow& control, const wxString& description);

// True if `event` is a command that has been queued to run again a moment
// later: on GTK, a button's command that assistive technology gave through
// the accessibility interface, and a popup menu entry's command. GTK runs
// such a command within the accessibility call (a popup menu within the key
// or click that opened it), so a box the command shows would keep the
// program from answering the screen reader, or the tool that pressed it,
// until the box had gone. Windows presses a control as a user would.
bool defer_assistive_command(wxEvent& event);

}  // namespace tavui
