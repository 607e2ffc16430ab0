#include "cwdguard.h"

#include "support/files.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(CurrentDirGuard, RestoresTheDirectoryWhateverHappenedMeanwhile) {
    const fs::path start = fs::current_path();
    const tavtest::TempDir a, b;
    fs::current_path(a.path());
    {
        const CCurrentDirGuard keep;
        fs::current_path(b.path());
    }
    EXPECT_EQ(fs::current_path(), a.path());
    fs::current_path(start);
}

TEST(CurrentDirGuard, ADirectoryThatWentAwayIsLeftSilently) {
    const fs::path start = fs::current_path();
    const tavtest::TempDir other;
    {
        const tavtest::TempDir doomed;
        fs::current_path(doomed.path());
        const CCurrentDirGuard keep;
        fs::current_path(other.path());
        fs::remove(doomed.path());
    }
    EXPECT_EQ(fs::current_path(), other.path());
    fs::current_path(start);
}
