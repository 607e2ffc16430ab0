#include "dialoglayout.h"

#include "dialogunits.h"

#include <wx/dialog.h>
#include <wx/event.h>
#include <wx/stattext.h>

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
