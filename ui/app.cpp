#include "app.h"

#include "accessibility.h"
#include "desktop.h"
#include "maindlg.h"
#include "startup.h"

#include "tav/split.h"
#include "tav/stoprequest.h"

wxIMPLEMENT_APP(CSplitApp);

bool CSplitApp::OnInit() {
    // The base class would parse the command line; the program takes no
    // arguments and ignores any it is given.
    if (!tavui::prepare_platform()) return false;
    tavui::CNativeDesktop desktop;
    // A signal stops a split at its next block or wait.
    const auto split = [](const tav::SplitSettings& s, tav::MessageSink& sink) {
        tav::SplitRun().stop_on(tav::process_stop_request()).run(s, sink);
    };
    CSplitDlg dialog(desktop, split, TAV_HELP_URL);
    SetTopWindow(&dialog);
    const tavui::CCloseRequests requests(dialog);
    dialog.ShowModal();
    return true;
}

int CSplitApp::OnRun() { return 0; }

int CSplitApp::FilterEvent(wxEvent& event) {
    return tavui::defer_assistive_command(event) ? Event_Processed : Event_Skip;
}
