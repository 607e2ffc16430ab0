#include "text.h"

#include <gtest/gtest.h>

#include <windows.h>

using tavui::to_bytes;
using tavui::to_wx;

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
