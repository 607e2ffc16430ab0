#include "msw/startupseam.h"

#include "support/dialoghook.h"
#include "text.h"

#include <wx/app.h>
#include <wx/toplevel.h>

#include <windows.h>

using tavui::prepare_platform;
using tavui::sockets_ready;

// Without Windows Sockets 1.1 the program says so in a box of its own, with
// the application's name as caption, and ends before any window opens.
TEST(StartUp, WithoutSocketsTheUserIsToldAndTheProgramEnds) {
    const size_t windows_before = wxTopLevelWindows.size();
    CMessageRecorder recorder;
    int checks = 0;
    EXPECT_FALSE(prepare_platform([&] { return ++checks, false; }));
    EXPECT_EQ(checks, 1);
    const std::string app = tavui::to_bytes(wxTheApp->GetAppName());
    EXPECT_EQ(recorder.messages, (std::vector<ShownMessage>{{"Windows sockets initialization failed.", app,
                                                             wxOK | wxICON_EXCLAMATION, nullptr}}));
    EXPECT_EQ(wxTopLevelWindows.size(), windows_before);
    // The system shows no boxes of its own for a drive without a medium.
    const UINT wanted = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    EXPECT_EQ(::GetErrorMode() & wanted, wanted);

    recorder.messages.clear();
    EXPECT_TRUE(prepare_platform([] { return true; }));
    EXPECT_TRUE(recorder.messages.empty());
    // This system has the version the program asks for.
    EXPECT_TRUE(sockets_ready());
}
