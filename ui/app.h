// The application object: runs the main dialog, then the process ends.
#pragma once

#include <wx/app.h>

class CSplitApp : public wxApp {
public:
    // Runs the main dialog modally; returns once it has closed.
    bool OnInit() override;
    // The dialog has already run: there is no message loop of our own.
    int OnRun() override;
    // Commands from assistive technology run after its call has returned.
    int FilterEvent(wxEvent& event) override;
};

wxDECLARE_APP(CSplitApp);
