// The toolkit's own open-file dialog, folder chooser and browser launcher.
#pragma once

#include "desktop.h"

class CNativeDesktop : public CDesktop {
public:
    std::optional<wxString> ChooseFile(wxWindow* owner) override;
    std::optional<wxString> ChooseFolder(wxWindow* owner) override;
    void OpenPage(const wxString& url) override;
};
