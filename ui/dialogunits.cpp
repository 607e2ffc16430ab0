#include "dialogunits.h"

#include <wx/string.h>
#include <wx/window.h>

#include <cmath>

CDialogUnits::CDialogUnits(const wxWindow& window) : window_(window) {
    // The system's own measure of a dialog font: the average width of the
    // letters, rounded, and the height.
    const wxSize letters = window.GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    x_unit_ = ((letters.x / 26 + 1) / 2) / 4.0;
    y_unit_ = letters.y / 8.0;
}

void CDialogUnits::Fit(const wxString& text, int width) {
    if (width <= 0) return;
    // Text that fits the box as placed changes nothing: the templates leave a
    // unit or more between a label and the control after it.
    const int text_width = window_.GetTextExtent(text).x;
    if (text_width <= ToPixels(wxSize(width, 0)).x) return;
    x_unit_ = text_width / static_cast<double>(width);
}

wxPoint CDialogUnits::ToPixels(int x, int y) const {
    return wxPoint(static_cast<int>(std::lround(x * x_unit_)), static_cast<int>(std::lround(y * y_unit_)));
}

wxSize CDialogUnits::ToPixels(wxSize size) const {
    const wxPoint p = ToPixels(size.x, size.y);
    return wxSize(p.x, p.y);
}
