#include "aboutbox.h"

#include "resource.h"
#include "support/dialoghook.h"

#include <wx/button.h>

#include <functional>

// OK, Enter (the default button), Esc and the close box all end the box.
TEST(AboutBox, EveryWayOfClosingItEndsIt) {
    struct Case {
        const char* name;
        std::function<void(CAboutBox&)> close;
    };
    const Case cases[] = {
        {"OK", [](CAboutBox& box) {
             wxCommandEvent click(wxEVT_BUTTON, res::IDC_ABOUT_OK);
             box.FindWindow(res::IDC_ABOUT_OK)->ProcessWindowEvent(click);
         }},
        {"Esc", [](CAboutBox& box) {
             wxKeyEvent esc(wxEVT_CHAR_HOOK);
             esc.m_keyCode = WXK_ESCAPE;
             box.ProcessWindowEvent(esc);
         }},
        {"close box", [](CAboutBox& box) { box.Close(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CAboutBox box(nullptr);
        EXPECT_EQ(box.GetDefaultItem(), box.FindWindow(res::IDC_ABOUT_OK));
        box.Show();
        c.close(box);
        EXPECT_FALSE(box.IsShown());
    }
}
