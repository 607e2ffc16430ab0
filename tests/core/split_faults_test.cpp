// Split runs against a hostile machine: full disks, destinations that go
// away or stop being writable half-way, odd sources and odd paths. Each test
// checks what the user is told and that nothing already written was lost.
// What only one platform offers is in split_faults_posix_test.cpp and
// split_faults_win32_test.cpp.
#include "tav/split.h"

#include "splitfaulttest.h"
#include "support/feeds.h"
#include "tav/splitsettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace tavtest;

// ------------------------------------------------- root-proof on any platform

TEST_F(SplitFaultTest, ADestinationReplacedByAFileHalfWayFailsTheRestAndKeepsWhatWasWritten) {
    HookedSink sink([&](const Message& m) {
        if (m == outfile(dest, 2)) {
            fs::rename(dest, dir / "moved");
            write_file(dest, "a file now");
        }
    });
    tav::SplitRun(512).run({source, dest, "", "1"}, sink);
    EXPECT_EQ(sink.messages, expected_when_lost_from(2, 3));
    EXPECT_EQ(read_file(dir / "moved" + tav::kPathSeparator + "tavendrillox1.txt"), "a\r\n");
    EXPECT_EQ(tavtest::count_entries(dir / "moved"), 1);
    EXPECT_EQ(read_file(dest), "a file now");
    EXPECT_EQ(read_file(source), "a\nb\n");
}

TEST_F(SplitFaultTest, ASourceThatGrowsWhileReadIsReadToItsNewEnd) {
    // A reader ahead has reached the old end by then, and must look again.
    for (const auto feed : tavtest::kFeeds) {
        SCOPED_TRACE(tavtest::feed_name(feed));
        fs::remove_all(dest);
        fs::create_directory(dest);
        write_file(source, letter_lines(10));
        // Once piece 1 is cut, only the first 16-byte read has been taken.
        HookedSink sink([&](const Message& m) {
            if (m == outfile(dest, 2)) {
                std::ofstream grow(source, std::ios::binary | std::ios::app);
                grow << "more 1\r\nmore 2\n";
            }
        });
        tav::SplitRun(16).reading(feed).run({source, dest, "", "1"}, sink);
        std::vector<Message> expected{{"0 1", "Get out"}};
        for (int n = 1; n <= 13; ++n) expected.push_back(outfile(dest, n));
        EXPECT_EQ(sink.messages, expected);
        const std::string all = letter_lines(10) + "more 1\r\nmore 2\n";
        EXPECT_EQ(read_file(source), all);
        EXPECT_EQ(read_file(tav::piece_path(dest, 10)), "j\r\n");
        EXPECT_EQ(read_file(tav::piece_path(dest, 11)), "more 1\r\n");
        EXPECT_EQ(read_file(tav::piece_path(dest, 12)), "more 2\r\n");
        EXPECT_EQ(read_file(tav::piece_path(dest, 13)), "");
    }
}

TEST_F(SplitFaultTest, PathsWithSpacesAndNonAsciiBytesArePassedThroughUnchanged) {
    // UTF-8 and single bytes above 0x7F that are not UTF-8 at all.
    const std::string folder = dir / "with spaces \xc3\xa9\xe9";
    fs::create_directory(folder);
    const std::string odd_source = folder + tav::kPathSeparator + " caf\xc3\xa9 \xe2\x82\xac.txt";
#ifdef _WIN32
    const std::string odd_dest = folder + tav::kPathSeparator + "out \xe9 dir";  // Windows drops a trailing space
#else
    const std::string odd_dest = folder + tav::kPathSeparator + "out \xe9 dir ";
#endif
    fs::create_directory(odd_dest);
    write_file(odd_source, "x\ny\n");
    RecordingSink sink;
    tav::SplitRun(512).run({odd_source, odd_dest, "", "1"}, sink);
    EXPECT_EQ(sink.messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(odd_dest, 1), outfile(odd_dest, 2),
                                                  outfile(odd_dest, 3)}));
    EXPECT_EQ(read_file(odd_dest + tav::kPathSeparator + "tavendrillox1.txt"), "x\r\n");
    EXPECT_EQ(read_file(odd_dest + tav::kPathSeparator + "tavendrillox2.txt"), "y\r\n");
    EXPECT_EQ(read_file(odd_dest + tav::kPathSeparator + "tavendrillox3.txt"), "");
    EXPECT_EQ(read_file(odd_source), "x\ny\n");
}
