// The About box: the icon, the product name with its version, and OK.
#pragma once

#include "dialoglayout.h"

#include <wx/dialog.h>

class CAboutBox : public wxDialog {
public:
    explicit CAboutBox(wxWindow* parent);

private:
    tavui::CDialogLayout layout_;
};
