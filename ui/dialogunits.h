// Places a dialog template's controls, given in dialog units, in pixels.
// A horizontal unit is a quarter of the font's average character width and a
// vertical unit an eighth of its height, as Windows measures a dialog's font:
// with the template's own font that is where the system would put each
// control. The templates were drawn for a narrower font than some systems
// have, so the horizontal unit may be widened until given texts fit their
// widths, and no further; the whole layout then grows evenly and keeps its
// proportions.
#pragma once

#include <wx/gdicmn.h>

class wxString;
class wxWindow;

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
