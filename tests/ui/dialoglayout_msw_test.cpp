#include "aboutbox.h"
#include "support/dialogfixture.h"
#include "support/dialogtemplate_msw.h"

#include <wx/app.h>

#include <windows.h>

namespace {

// What the toolkit does when Windows tells a per-monitor (version 2)
// program that `dialog` has moved to a display of `dpi` pixels per inch
// (Wine 8 reports that awareness as version 1, and the toolkit then leaves
// the message alone): every window gets its font for the new scale, then
// the dialog gets wxEVT_DPI_CHANGED. Then the dialog may lay itself out.
void move_to_scale(wxDialog& dialog, UINT from, UINT to) {
    const int old_dpi = static_cast<int>(from), new_dpi = static_cast<int>(to);
    dialog.MSWUpdateOnDPIChange(wxSize(old_dpi, old_dpi), wxSize(new_dpi, new_dpi));
    wxTheApp->ProcessPendingEvents();
}

}  // namespace

// The program asks to draw at each display's own scale (its manifest), so a
// dialog moved to a display of another scale gets a font of another size
// there, and its controls follow that font.
TEST_F(DialogTest, MovedToADisplayOfAnotherScaleBothDialogsFollowTheirFont) {
    // Version 2 where the system has it; Wine 8 reports version 1 for it.
    ASSERT_EQ(::GetAwarenessFromDpiAwarenessContext(::GetThreadDpiAwarenessContext()), DPI_AWARENESS_PER_MONITOR_AWARE);
    CSplitDlg& dialog = Open();
    CAboutBox about(&dialog);
    about.Show();
    const std::pair<wxDialog*, const tavtest::DialogTemplate*> dialogs[] = {{&dialog, &tavtest::kMainDialogTemplate},
                                                                            {&about, &tavtest::kAboutBoxTemplate}};
    for (const auto& [window, dialog_template] : dialogs) {
        SCOPED_TRACE(dialog_template->caption);
        UINT from = 96;
        for (const UINT dpi : {144u, 96u}) {
            SCOPED_TRACE(std::to_string(dpi) + " pixels per inch");
            move_to_scale(*window, from, dpi);
            from = dpi;
            EXPECT_EQ(tavtest::template_differences(window->GetHWND(), *dialog_template, dpi), "");
        }
    }
}
