#include "app.h"

#include "accessibility.h"
#include "maindlg.h"
#include "nativedesktop.h"
#include "startup.h"

wxIMPLEMENT_APP(CSplitApp);

bool CSplitApp::OnInit() {
    // The base class would parse the command line; the program takes no
    // arguments and ignores any it is given.
    if (!prepare_platform()) return false;
    CNativeDesktop desktop;
    CSplitDlg dialog(desktop);
    SetTopWindow(&dialog);
    dialog.ShowModal();
    return true;
}

int CSplitApp::OnRun() { return 0; }

int CSplitApp::FilterEvent(wxEvent& event) {
    return tavui::defer_assistive_command(event) ? Event_Processed : Event_Skip;
}
