// Split runs against a hostile machine: full disks, destinations that go
// away or stop being writable half-way, odd sources and odd paths. Each test
// checks what the user is told and that nothing already written was lost.
#include "tav/split.h"

#include "piecewriter.h"
#include "tav/splitsettings.h"
#include "tav/stoprequest.h"
#include "support/files.h"
#include "support/recordingsink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "windowsapi.h"
#else
#include "support/smalldisk.h"
#include "support/unprivileged.h"

#include <climits>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using tav::SplitSettings;
using tavtest::HookedSink;
using tavtest::Message;
using tavtest::read_file;
using tavtest::RecordingSink;
using tavtest::TempDir;
using tavtest::write_file;

namespace {

const Message kWriteError{"Could not write to log file", "Error Log"};

Message outfile(const std::string& dest, int n) { return {tav::piece_path(dest, n), "Outfile"}; }

// "a\n", "b\n", ... : `count` one-letter lines.
std::string letter_lines(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += std::string(1, static_cast<char>('a' + i % 26)) + "\n";
    return s;
}

class SplitFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(dest);
        write_file(source, letter_lines(2));
    }

    // The messages of a run of `source` into `dest` with LINES 1 that ends
    // after piece 1 is written: the "Get out" notice, then per piece its
    // "Outfile" notice, with the write error for each piece from `first_lost` on.
    std::vector<Message> expected_when_lost_from(int first_lost, int pieces) const {
        std::vector<Message> m{{"0 1", "Get out"}};
        for (int n = 1; n <= pieces; ++n) {
            m.push_back(outfile(dest, n));
            if (n >= first_lost) m.push_back(kWriteError);
        }
        return m;
    }

    TempDir dir;
    const std::string source = dir / "source.txt";
    const std::string dest = dir / "out";
};

}  // namespace

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
    write_file(source, letter_lines(10));
    // Once piece 1 is cut, only the first 16-byte read has been taken.
    HookedSink sink([&](const Message& m) {
        if (m == outfile(dest, 2)) {
            std::ofstream grow(source, std::ios::binary | std::ios::app);
            grow << "more 1\r\nmore 2\n";
        }
    });
    tav::SplitRun(16).run({source, dest, "", "1"}, sink);
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

#ifdef _WIN32

// ------------------------------------ Windows only: files others hold locked

namespace {

// Opens `path` the way a program that allows no sharing at all would.
HANDLE lock_exclusively(const std::string& path) {
    return ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

TEST_F(SplitFaultTest, APieceAnotherProgramHoldsLockedIsReportedAndLeftAlone) {
    write_file(tav::piece_path(dest, 1), "theirs");
    const HANDLE lock = lock_exclusively(tav::piece_path(dest, 1));
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    RecordingSink sink;
    tav::SplitRun(512).run({source, dest, "", "1"}, sink);
    ::CloseHandle(lock);
    EXPECT_EQ(sink.messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(dest, 1), kWriteError,
                                                  outfile(dest, 2), outfile(dest, 3)}));
    EXPECT_EQ(read_file(tav::piece_path(dest, 1)), "theirs");
    EXPECT_EQ(read_file(tav::piece_path(dest, 2)), "b\r\n");
}

TEST_F(SplitFaultTest, ASourceAnotherProgramHoldsLockedIsReportedAndNothingIsWritten) {
    const HANDLE lock = lock_exclusively(source);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    RecordingSink sink;
    tav::SplitRun(512).run({source, dest, "", "1"}, sink);
    ::CloseHandle(lock);
    EXPECT_EQ(sink.messages, (std::vector<Message>{{"0 1", "Get out"}, {"Could not open source file", "Error"}}));
    EXPECT_EQ(tavtest::count_entries(dest), 0);
    EXPECT_EQ(read_file(source), "a\nb\n");
}

#endif  // _WIN32

// POSIX only from here (not built for Windows): tmpfs mounts, /dev/full,
// permissions and uids, FIFOs, symbolic links and PATH_MAX.
#ifndef _WIN32

// ------------------------------------------------------------ full disks

TEST_F(SplitFaultTest, AFullFileSystemEndsTheRunWithThePieceThatDidNotFit) {
    tavtest::SmallDisk disk(dest, 64 * 1024);
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs root outside a container)";
    // Three pieces of 40 KiB without line breaks: the first fits, the second
    // fills the disk part-way, and every later one would find it full.
    std::string text;
    for (int i = 0; i < 3 * 40 * 1024; ++i) text += static_cast<char>('a' + (i * 7 + i / 1024) % 26);
    write_file(source, text);
    RecordingSink sink;
    tav::SplitRun().run({source, dest, "40", ""}, sink);
    EXPECT_EQ(sink.messages, (std::vector<Message>{{"40960 0", "Get out"}, outfile(dest, 1), outfile(dest, 2),
                                                  kWriteError}));
    EXPECT_EQ(read_file(tav::piece_path(dest, 1)), text.substr(0, 40960));
    // What did reach the disk of piece 2 is its true beginning, not garbage.
    const auto part = read_file(tav::piece_path(dest, 2));
    ASSERT_TRUE(part.has_value());
    EXPECT_LT(part->size(), 40960u);
    EXPECT_EQ(*part, text.substr(40960, part->size()));
    EXPECT_EQ(tavtest::count_entries(dest), 2);
    EXPECT_EQ(read_file(source), text);
}

TEST_F(SplitFaultTest, APieceNameLinkedToDevFullIsReportedAndTheRunGoesOn) {
    write_file(source, letter_lines(3));
    ASSERT_EQ(::symlink("/dev/full", tav::piece_path(dest, 2).c_str()), 0);
    RecordingSink sink;
    tav::SplitRun(512).run({source, dest, "", "1"}, sink);
    EXPECT_EQ(sink.messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(dest, 1), outfile(dest, 2), kWriteError,
                                                  outfile(dest, 3), outfile(dest, 4)}));
    EXPECT_EQ(read_file(tav::piece_path(dest, 1)), "a\r\n");
    EXPECT_EQ(read_file(tav::piece_path(dest, 3)), "c\r\n");
    EXPECT_EQ(read_file(tav::piece_path(dest, 4)), "");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(SplitFaultTest, APieceNameThatIsAFifoNobodyReadsIsReportedInsteadOfHanging) {
    write_file(source, letter_lines(2));
    ASSERT_EQ(::mkfifo(tav::piece_path(dest, 1).c_str(), 0600), 0);
    ::alarm(60);  // a hang kills the test binary rather than the whole CI run
    RecordingSink sink;
    tav::SplitRun(512).run({source, dest, "", "1"}, sink);
    ::alarm(0);
    EXPECT_EQ(sink.messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(dest, 1), kWriteError,
                                                  outfile(dest, 2), outfile(dest, 3)}));
    EXPECT_EQ(read_file(tav::piece_path(dest, 2)), "b\r\n");
}

// ------------------------------------- permissions (dropping root if need be)

TEST_F(SplitFaultTest, ADestinationThatStopsBeingWritableHalfWayFailsTheRestAndKeepsPieceOne) {
    tavtest::give_to_unprivileged(dest);
    const auto messages = tavtest::as_unprivileged([&] {
        HookedSink sink([&](const Message& m) {
            if (m == outfile(dest, 2)) ::chmod(dest.c_str(), 0555);
        });
        tav::SplitRun(512).run({source, dest, "", "1"}, sink);
        return sink.messages;
    });
    EXPECT_EQ(messages, expected_when_lost_from(2, 3));
    EXPECT_EQ(read_file(tav::piece_path(dest, 1)), "a\r\n");
    EXPECT_EQ(tavtest::count_entries(dest), 1);
    EXPECT_EQ(read_file(source), "a\nb\n");
}

TEST_F(SplitFaultTest, ADestinationRemountedReadOnlyHalfWayFailsTheRestAndKeepsPieceOne) {
    tavtest::SmallDisk disk(dest, 64 * 1024);
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs root outside a container)";
    HookedSink sink([&](const Message& m) {
        if (m == outfile(dest, 2)) {
            EXPECT_TRUE(disk.set_read_only(true));
        }
    });
    tav::SplitRun(512).run({source, dest, "", "1"}, sink);
    EXPECT_EQ(sink.messages, expected_when_lost_from(2, 3));
    EXPECT_EQ(read_file(tav::piece_path(dest, 1)), "a\r\n");
    EXPECT_EQ(tavtest::count_entries(dest), 1);
}

// ----------------------------------------------------------------- FIFOs

TEST_F(SplitFaultTest, AFifoWithoutAWriterReadsAsEmptyInsteadOfHanging) {
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::alarm(60);  // a hang kills the test binary rather than the whole CI run
    RecordingSink sink;
    tav::SplitRun(512).run({fifo, dest, "", "1"}, sink);
    ::alarm(0);
    EXPECT_EQ(sink.messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(dest, 1)}));
    EXPECT_EQ(read_file(tav::piece_path(dest, 1)), "");
}

TEST_F(SplitFaultTest, AFifoIsReadToTheEndOfWhatItsWriterSends) {
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string sent;
    for (int i = 0; i < 20000; ++i) sent += "line " + std::to_string(i) + "\r\n";
    // A second reader that never reads lets the writer open before the run does,
    // so the run meets a writer whatever the timing. Ctrl-Z ends a pipe too.
    const int keeper = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(keeper, 0);
    std::promise<void> opened;
    std::thread writer([&] {
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        opened.set_value();
        const std::string all = sent + "\x1A" "not read";
        // Odd-sized writes put CR and LF in different reads now and then.
        for (std::size_t done = 0; fd >= 0 && done < all.size();) {
            const ssize_t n = ::write(fd, all.data() + done, std::min<std::size_t>(4093, all.size() - done));
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
    });
    opened.get_future().wait();
    ::alarm(60);
    RecordingSink sink;
    tav::SplitRun(512).run({fifo, dest, "", "5000"}, sink);
    writer.join();  // a run that stopped reading early would leave the writer stuck: the alarm ends that too
    ::close(keeper);
    ::alarm(0);
    std::vector<Message> expected{{"0 5000", "Get out"}};
    for (int n = 1; n <= 5; ++n) expected.push_back(outfile(dest, n));
    EXPECT_EQ(sink.messages, expected);
    std::string joined;
    for (int n = 1; n <= 5; ++n) joined += read_file(tav::piece_path(dest, n)).value_or("?");
    EXPECT_EQ(joined, sent);
    EXPECT_EQ(read_file(tav::piece_path(dest, 5)), "");
}

// ------------------------------------------------------------ symbolic links

TEST_F(SplitFaultTest, ADestinationThatIsALinkToAFolderGetsThePiecesThere) {
    const std::string link = dir / "link";
    ASSERT_EQ(::symlink(dest.c_str(), link.c_str()), 0);
    RecordingSink sink;
    tav::SplitRun(512).run({source, link, "", "1"}, sink);
    EXPECT_EQ(sink.messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(link, 1), outfile(link, 2),
                                                  outfile(link, 3)}));
    EXPECT_EQ(read_file(tav::piece_path(dest, 1)), "a\r\n");
    EXPECT_EQ(read_file(tav::piece_path(dest, 2)), "b\r\n");
    EXPECT_TRUE(fs::is_symlink(link));
}

TEST_F(SplitFaultTest, ADanglingLinkAsDestinationFailsEveryPieceAndCreatesNothing) {
    const std::string link = dir / "link";
    ASSERT_EQ(::symlink((dir / "gone").c_str(), link.c_str()), 0);
    RecordingSink sink;
    tav::SplitRun(512).run({source, link, "", "1"}, sink);
    EXPECT_EQ(sink.messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(link, 1), kWriteError,
                                                  outfile(link, 2), kWriteError, outfile(link, 3), kWriteError}));
    EXPECT_FALSE(tavtest::exists(dir / "gone"));
}

TEST_F(SplitFaultTest, TheSourceIsNeverWrittenThroughALinkedDestination) {
    // The source is piece 1 of the folder that DEST links to.
    const std::string inside = tav::piece_path(dest, 1);
    write_file(inside, "1\n2\n");
    const std::string link = dir / "link";
    ASSERT_EQ(::symlink(dest.c_str(), link.c_str()), 0);
    RecordingSink sink;
    tav::SplitRun(512).run({inside, link, "", "1"}, sink);
    EXPECT_EQ(sink.messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(link, 1), kWriteError,
                                                  outfile(link, 2), outfile(link, 3)}));
    EXPECT_EQ(read_file(inside), "1\n2\n");
    EXPECT_EQ(read_file(tav::piece_path(dest, 2)), "2\r\n");
}

// ext4, which holds the test folder here, gives a deleted file's number to
// the next new file at once: a piece must not be taken for an earlier one
// that is gone.
TEST_F(SplitFaultTest, EarlierPiecesDeletedDuringARunDoNotBlockTheLaterOnes) {
    write_file(source, letter_lines(30));
    HookedSink sink([&](const Message& m) {
        if (m.caption != "Outfile") return;
        for (const auto& entry : fs::directory_iterator(dest)) fs::remove(entry.path());
    });
    tav::SplitRun(512).run({source, dest, "", "1"}, sink);
    EXPECT_EQ(sink.messages, expected_when_lost_from(99, 31));
    EXPECT_EQ(read_file(tav::piece_path(dest, 31)), "");
}

// A stop request (a signal, for the program) ends even a source without end
// at the next block; what was read is in the current piece.
TEST_F(SplitFaultTest, AStopRequestEndsAnEndlessSourceAtTheNextBlock) {
    tav::StopRequest stop;
    HookedSink sink([&](const Message& m) {
        if (m == outfile(dest, 1)) stop.request();
    });
    tav::SplitRun(512).stop_on(stop).run({"/dev/zero", dest, "", "1"}, sink);
    EXPECT_EQ(sink.messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(dest, 1)}));
    EXPECT_EQ(read_file(tav::piece_path(dest, 1)), std::string(512, '\0'));
    EXPECT_EQ(tavtest::count_entries(dest), 1);
}

TEST_F(SplitFaultTest, APieceNameThatIsALinkIsWrittenThroughLikeAnyRedirection) {
    // A link the user put there on purpose is followed, as a shell's > would;
    // only the source itself is protected.
    const std::string elsewhere = dir / "elsewhere.txt";
    write_file(elsewhere, "old");
    ASSERT_EQ(::symlink(elsewhere.c_str(), tav::piece_path(dest, 1).c_str()), 0);
    RecordingSink sink;
    tav::SplitRun(512).run({source, dest, "", "1"}, sink);
    EXPECT_EQ(sink.messages, expected_when_lost_from(99, 3));
    EXPECT_EQ(read_file(elsewhere), "a\r\n");
    EXPECT_TRUE(fs::is_symlink(tav::piece_path(dest, 1)));
}

// --------------------------------------------------------- the length limit

TEST_F(SplitFaultTest, PiecePathsOverTheLengthLimitAreReportedAndTheShorterOnesWritten) {
    // DEST is built so that "DEST/tavendrillox9.txt" is PATH_MAX - 1 bytes long,
    // the longest path the system takes; "tavendrillox10.txt" is one byte too many.
    std::string deep = dest;
    const std::size_t dest_length = PATH_MAX - 1 - std::string("/tavendrillox9.txt").size();
    while (deep.size() < dest_length) {
        const std::size_t room = dest_length - deep.size() - 1;  // minus the '/'
        deep += "/" + std::string(std::min<std::size_t>(room, 200), 'd');
        ASSERT_TRUE(fs::create_directory(deep)) << deep.size();
    }
    ASSERT_EQ(deep.size(), dest_length);
    write_file(source, letter_lines(10));
    RecordingSink sink;
    tav::SplitRun(512).run({source, deep, "", "1"}, sink);
    std::vector<Message> expected{{"0 1", "Get out"}};
    for (int n = 1; n <= 11; ++n) {
        expected.push_back(outfile(deep, n));
        if (n >= 10) expected.push_back(kWriteError);
    }
    EXPECT_EQ(sink.messages, expected);
    ASSERT_EQ(tav::piece_path(deep, 9).size(), static_cast<std::size_t>(PATH_MAX - 1));
    EXPECT_EQ(read_file(tav::piece_path(deep, 1)), "a\r\n");
    EXPECT_EQ(read_file(tav::piece_path(deep, 9)), "i\r\n");

    // A source path over the limit cannot be opened at all.
    RecordingSink too_long;
    tav::SplitRun(512).run({deep + "/" + std::string(30, 's'), dest, "", "1"}, too_long);
    EXPECT_EQ(too_long.messages, (std::vector<Message>{{"0 1", "Get out"}, {"Could not open source file", "Error"}}));
}

#endif  // !_WIN32
