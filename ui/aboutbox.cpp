#include "aboutbox.h"

#include "resource.h"
#include "resources.h"
#include "version.h"

#include <wx/button.h>
#include <wx/icon.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

using namespace tavui;

// OK, Enter, Esc and the close box all end it; nobody looks at the result.
CAboutBox::CAboutBox(wxWindow* parent)
    : wxDialog(parent, res::IDD_ABOUTBOX, "About Tavendrillox", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      layout_(*this, wxSize(235, 55)) {
    SetFont(dialog_font());

    auto* icon = new wxStaticBitmap(this, wxID_ANY, app_icon_large());
    clear_control_id(*icon);
    layout_.PlaceIcon(*icon, wxPoint(11, 17));

    auto* name = new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, wxST_NO_AUTORESIZE);
    set_plain_text(*name, "Tavendrillox Version " TAV_VERSION_SHORT);
    start_group(*name);
    clear_control_id(*name);
    layout_.PlaceLabel(*name, wxRect(40, 10, 119, 8));

    auto* ok = new wxButton(this, res::IDC_ABOUT_OK, "OK");
    start_group(*ok);
    layout_.Place(*ok, wxRect(178, 7, 50, 14));
    ok->SetDefault();
    SetAffirmativeId(res::IDC_ABOUT_OK);

    layout_.Apply();
    keep_arrow_keys_in_groups(*this);
    CentreOnParent();
}
