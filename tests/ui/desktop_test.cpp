// The desktop's helpers that need no desktop: the current directory kept
// across a chooser, and where the local help page is found.
#include "desktop.h"

#include "support/files.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace tavtest;
using tavui::CCurrentDirGuard;
using tavui::find_local_help;

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

TEST(LocalHelp, ThePageIsNamedAfterTheExecutableAndFoundNextToItFirst) {
    const TempDir bin, data;
    const wxString exe = bin / "splitter";
    EXPECT_EQ(find_local_help(exe, data.path()), std::nullopt);

    write_file(data / "splitter.html", "<html/>");
    write_file(data / "tavendrillox.html", "<html/>");  // another program's name
    EXPECT_EQ(find_local_help(exe, data.path()), wxString(data / "splitter.html"));

    write_file(bin / "splitter.html", "<html/>");
    EXPECT_EQ(find_local_help(exe, data.path()), wxString(bin / "splitter.html"));
    EXPECT_EQ(find_local_help(exe, ""), wxString(bin / "splitter.html"));
}
