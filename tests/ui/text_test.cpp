#include "text.h"

#include <gtest/gtest.h>

#include <string>

using tavui::to_bytes;
using tavui::to_wx;

TEST(Text, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    const std::string cases[] = {
        "", all, "plain/ascii path.txt", "caf\xc3\xa9 \xe2\x82\xac", "caf\xe9", "\xff\xfe", "\xc3", "a\xc3\xa9\xe9z",
        std::string("nul\0inside", 10),
    };
    for (const std::string& bytes : cases) EXPECT_EQ(to_bytes(to_wx(bytes)), bytes);
}

TEST(Text, Utf8IsReadAsTheCharactersItSpells) {
    EXPECT_EQ(to_wx("caf\xc3\xa9"), wxString(L"caf\u00e9"));
    EXPECT_EQ(to_bytes(wxString(L"\u20ac 5")), "\xe2\x82\xac 5");
    // A byte that is not UTF-8 does not turn into the character Latin-1 would make of it.
    EXPECT_NE(to_wx("caf\xe9"), wxString(L"caf\u00e9"));
}
