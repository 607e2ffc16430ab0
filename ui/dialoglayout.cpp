#include "dialoglayout.h"

#include <wx/dialog.h>
#include <wx/event.h>
#include <wx/fontenum.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/string.h>
#include <wx/window.h>

#include <cmath>

namespace tavui {

wxFont dialog_font() {
    static const wxString kFace = "MS Sans Serif";
    if (wxFontEnumerator::IsValidFacename(kFace)) return wxFont(wxFontInfo(8).FaceName(kFace));
    return wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
}

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

CDialogLayout::CDialogLayout(wxDialog& dialog, wxSize size) : dialog_(dialog), size_(size) {
    dialog_.Bind(wxEVT_DPI_CHANGED, &CDialogLayout::OnDPIChanged, this);
}

void CDialogLayout::Place(wxWindow& control, const wxRect& units) { items_.push_back({&control, units, Item::Fixed}); }

void CDialogLayout::PlaceLabel(wxStaticText& label, const wxRect& units) {
    items_.push_back({&label, units, Item::Label});
}

void CDialogLayout::PlaceIcon(wxWindow& icon, wxPoint units) {
    items_.push_back({&icon, wxRect(units, wxSize()), Item::Icon});
}

void CDialogLayout::Apply() {
    // Measured on a control: on a new display scale the toolkit gives the
    // controls their font for it, and leaves the dialog's own as it was.
    const wxWindow* measured = &dialog_;
    for (const Item& item : items_)
        if (item.kind != Item::Icon) {
            measured = item.control;
            break;
        }
    CDialogUnits units(*measured);
    for (const Item& item : items_)
        if (item.kind == Item::Label)
            units.Fit(static_cast<wxStaticText*>(item.control)->GetLabelText(), item.units.width);
    for (const Item& item : items_) {
        const wxPoint position = units.ToPixels(item.units.x, item.units.y);
        if (item.kind == Item::Icon)
            item.control->SetSize(wxRect(position, item.control->GetBestSize()));
        else
            item.control->SetSize(wxRect(position, units.ToPixels(item.units.GetSize())));
    }
    dialog_.SetClientSize(units.ToPixels(size_));
}

// The toolkit has given every window its font for the new scale and is about
// to move the dialog where the system suggests; the layout is redone after
// that, about the same centre.
void CDialogLayout::OnDPIChanged(wxDPIChangedEvent& event) {
    event.Skip();
    dialog_.CallAfter([this] {
        const wxPoint centre = dialog_.GetRect().GetPosition() + dialog_.GetSize() / 2;
        Apply();
        dialog_.Move(centre - dialog_.GetSize() / 2);
    });
}

}  // namespace tavui
