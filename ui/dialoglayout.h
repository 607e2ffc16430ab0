// A dialog's controls where its template puts them, in dialog units of the
// dialog's font, placed again whenever the window moves to a display of
// another scale: the font then has another size in pixels, and the layout
// follows it as the system's own dialogs do.
#pragma once

#include <wx/gdicmn.h>

#include <vector>

class wxDialog;
class wxDPIChangedEvent;
class wxStaticText;
class wxWindow;

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
