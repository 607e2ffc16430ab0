// The toolkit's own open-file dialog, folder chooser and browser launcher.
#pragma once

#include "desktop.h"

class CNativeDesktop : public CDesktop {
public:
    std::optional<wxString> ChooseFile(wxWindow* owner, const ChooserStart& start) override;
    std::optional<wxString> ChooseFolder(wxWindow* owner, const wxString& start) override;
    void OpenPage(const wxString& url) override;
};
