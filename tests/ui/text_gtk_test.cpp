#include "text.h"

#include <gtest/gtest.h>

using tavui::to_bytes;
using tavui::to_wx;

TEST(Text, Utf8IsReadAsTheCharactersItSpells) {
    EXPECT_EQ(to_wx("caf\xc3\xa9"), wxString(L"caf\u00e9"));
    EXPECT_EQ(to_bytes(wxString(L"\u20ac 5")), "\xe2\x82\xac 5");
    // A byte that is not UTF-8 does not turn into the character Latin-1 would make of it.
    EXPECT_NE(to_wx("caf\xe9"), wxString(L"caf\u00e9"));
}
