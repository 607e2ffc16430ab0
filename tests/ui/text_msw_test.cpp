#include "text.h"

#include "resource.h"
#include "support/dialogfixture.h"
#include "support/dialoghook.h"

#include "tav/splitsettings.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace res;
using tavui::to_bytes;
using tavui::to_wx;
using Strings = std::vector<std::string>;

// The bytes are the ANSI code page's, as the "A" calls that open the files
// read them: never UTF-8.
TEST(Text, BytesAreTheAnsiCodePagesCharacters) {
    if (::GetACP() != 1252) GTEST_SKIP() << "written for code page 1252; this system uses " << ::GetACP();
    EXPECT_EQ(to_wx("caf\xe9 \x80"), wxString(L"caf\u00e9 \u20ac"));
    EXPECT_EQ(to_wx("caf\xc3\xa9"), wxString(L"caf\u00c3\u00a9"));
    EXPECT_EQ(to_bytes(wxString(L"caf\u00e9 \u20ac")), "caf\xe9 \x80");
    // A character the code page lacks cannot name a file the core can open.
    EXPECT_EQ(to_bytes(wxString(L"\u4e2d.txt")), "?.txt");
}

// The fields hold what the core was given, as a dialog working in the ANSI
// code page would: after a button press, a name the code page cannot spell
// shows as the "?" the core used; the settings file gets the same bytes.
TEST_F(DialogTest, AfterAButtonPressTheFieldsShowTheTextTheCoreWasGiven) {
    if (::GetACP() != 1252) GTEST_SKIP() << "written for code page 1252; this system uses " << ::GetACP();
    CMessageRecorder recorder;
    Open();
    std::vector<std::string> sources;
    split_ = [&](const tav::SplitSettings& s, tav::MessageSink&) { sources.push_back(s.source); };
    for (const int button : {IDC_GO, IDC_HELP_PAGE, IDC_BROWSE_SOURCE}) {
        SCOPED_TRACE(button);
        Type(IDC_SOURCE, L"\u65e5\u672c.txt");
        Type(IDC_DEST, L"caf\u00e9");
        if (button == IDC_BROWSE_SOURCE) desktop_.files.push_back({});  // cancelled
        Press(button);
        EXPECT_EQ(Text(IDC_SOURCE), "??.txt");
        EXPECT_EQ(Text(IDC_DEST), L"caf\u00e9");
    }
    EXPECT_EQ(sources, Strings{"??.txt"});
    Destroy();
    EXPECT_EQ(SettingsText(), tavtest::settings_text("??.txt", "caf\xe9", "1024", ""));
}
