#include "aboutbox.h"

#include "appicon.h"
#include "dialogfont.h"
#include "dialogunits.h"
#include "resource.h"
#include "version.h"

#include <wx/button.h>
#include <wx/icon.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

// OK, Enter, Esc and the close box all end it; nobody looks at the result.
CAboutBox::CAboutBox(wxWindow* parent)
    : wxDialog(parent, res::IDD_ABOUTBOX, "About Tavendrillox", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    SetFont(dialog_font());
    const wxString name = "Tavendrillox Version " TAV_VERSION_SHORT;
    CDialogUnits units(*this);
    units.Fit(name, 119);

    new wxStaticBitmap(this, wxID_ANY, app_icon_large(), units.ToPixels(11, 17), units.ToPixels(wxSize(20, 20)));
    auto* label = new wxStaticText(this, wxID_ANY, wxString(), units.ToPixels(40, 10), units.ToPixels(wxSize(119, 8)),
                                   wxST_NO_AUTORESIZE);
    label->SetLabelText(name);  // no mnemonic processing
    auto* ok = new wxButton(this, res::IDC_ABOUT_OK, "OK", units.ToPixels(178, 7), units.ToPixels(wxSize(50, 14)));
    ok->SetDefault();
    SetAffirmativeId(res::IDC_ABOUT_OK);

    SetClientSize(units.ToPixels(wxSize(235, 55)));
    CentreOnParent();
}
