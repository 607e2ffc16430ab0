#include "localhelp.h"

#include "support/files.h"

#include <gtest/gtest.h>

using tavtest::TempDir;
using tavtest::write_file;

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
