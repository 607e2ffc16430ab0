#include "text.h"

#include <gtest/gtest.h>

#include <string>

using tavui::to_bytes;
using tavui::to_wx;

// What the settings file or a typed name holds must come back as the same
// bytes, so that the core opens the same file.
TEST(Text, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    const std::string cases[] = {
        "", all, "plain/ascii path.txt", "caf\xc3\xa9 \xe2\x82\xac", "caf\xe9", "\xff\xfe", "\xc3", "a\xc3\xa9\xe9z",
        std::string("nul\0inside", 10),
    };
    for (const std::string& bytes : cases) EXPECT_EQ(to_bytes(to_wx(bytes)), bytes);
}
