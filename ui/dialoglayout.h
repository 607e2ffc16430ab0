// The dialogs' templates made real: controls placed in dialog units of the
// dialog's font, and the styles the templates give them. Where a template
// style means nothing to the toolkit (GTK), setting it does nothing; each
// platform has its own file for the styles: gtk/dialoglayout.cpp,
// msw/dialoglayout.cpp.
#pragma once

#include <wx/font.h>
#include <wx/gdicmn.h>

#include <vector>

class wxDialog;
class wxDPIChangedEvent;
class wxStaticText;
class wxString;
class wxWindow;

namespace tavui {

// The font the program's dialogs are laid out in: "MS Sans Serif" 8 point
// where the system has it, otherwise the system's default dialog font.
// Dialog units follow it, so it must be set on a dialog before its controls
// are placed.
wxFont dialog_font();

// A horizontal unit is a quarter of the font's average character width and a
// vertical unit an eighth of its height, as Windows measures a dialog's font:
// with the template's own font that is where the system would put each
// control. The templates were drawn for a narrower font than some systems
// have, so the horizontal unit may be widened until given texts fit their
// widths, and no further; the whole layout then grows evenly and keeps its
// proportions.
class CDialogUnits {
public:
    // window: the dialog or a control on it, whose font is the dialog's.
    explicit CDialogUnits(const wxWindow& window);

    // Widens the horizontal unit just enough that text fits in `width` units,
    // if it does not fit already.
    void Fit(const wxString& text, int width);

    wxPoint ToPixels(int x, int y) const;
    wxSize ToPixels(wxSize size) const;

private:
    const wxWindow& window_;
    double x_unit_;  // pixels per horizontal unit
    double y_unit_;  // pixels per vertical unit
};

// A dialog's controls where its template puts them, placed again whenever the
// window moves to a display of another scale: the font then has another size
// in pixels, and the layout follows it as the system's own dialogs do.
class CDialogLayout {
public:
    // size: the dialog's client area, in dialog units.
    CDialogLayout(wxDialog& dialog, wxSize size);

    // Places `control` at `units` (x, y, width, height).
    void Place(wxWindow& control, const wxRect& units);
    // The same for a label, whose text must fit its width.
    void PlaceLabel(wxStaticText& label, const wxRect& units);
    // An icon keeps its own size at `units`, as the system's icon control does.
    void PlaceIcon(wxWindow& icon, wxPoint units);

    // Sets every control's place and the dialog's client size from the
    // dialog's font as it is now.
    void Apply();

private:
    struct Item {
        wxWindow* control;
        wxRect units;
        enum { Fixed, Label, Icon } kind;
    };

    void OnDPIChanged(wxDPIChangedEvent& event);

    wxDialog& dialog_;
    wxSize size_;
    std::vector<Item> items_;
};

// What the templates say of their controls beyond place and text, as far as
// the window system has a use for it. Marks `control` as the first of a
// group (the arrow keys move the focus within a group).
void start_group(wxWindow& control);
// Gives a label or icon the template's id for "no id" (IDC_STATIC).
void clear_control_id(wxWindow& control);
// Shows `text` as it is: an "&" stays an "&" and marks no key.
void set_plain_text(wxStaticText& label, const wxString& text);
// Makes the arrow keys move the focus within its group of controls, as in
// the system's dialogs; Tab still goes through every control.
void keep_arrow_keys_in_groups(wxDialog& dialog);

}  // namespace tavui
