// Split runs against what only POSIX systems offer: tmpfs mounts, /dev/full,
// permissions and uids, FIFOs, symbolic links and PATH_MAX.
#include "tav/split.h"

#include "splitfaulttest.h"
#include "support/feeds.h"
#include "support/smalldisk.h"
#include "support/unprivileged.h"
#include "tav/splitsettings.h"
#include "tav/stoprequest.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace tavtest;

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

// A reader of a pipe waits for its writer, and signals that come meanwhile
// are no reason to stop waiting.
TEST_F(SplitFaultTest, AFifoWithoutAWriterYetWaitsForOne) {
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct sigaction noticed {}, before {};
    noticed.sa_handler = [](int) {};
    ::sigaction(SIGWINCH, &noticed, &before);
    for (const auto feed : tavtest::kFeeds) {
        SCOPED_TRACE(tavtest::feed_name(feed));
        fs::remove_all(dest);
        fs::create_directory(dest);
        std::atomic<bool> done{false};
        const pthread_t run_thread = ::pthread_self();
        std::thread signals([&] {
            while (!done) {
                ::pthread_kill(run_thread, SIGWINCH);
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
        std::thread writer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            const int fd = ::open(fifo.c_str(), O_WRONLY);
            EXPECT_EQ(::write(fd, "x\n", 2), 2);
            ::close(fd);
        });
        ::alarm(60);  // a run that does not wait leaves the writer waiting for ever
        RecordingSink sink;
        tav::SplitRun(512).reading(feed).run({fifo, dest, "", "1"}, sink);
        writer.join();
        ::alarm(0);
        done = true;
        signals.join();
        EXPECT_EQ(sink.messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(dest, 1), outfile(dest, 2)}));
        EXPECT_EQ(read_file(tav::piece_path(dest, 1)), "x\r\n");
    }
    ::sigaction(SIGWINCH, &before, nullptr);
}

TEST_F(SplitFaultTest, AFifoIsReadToTheEndOfWhatItsWriterSends) {
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string sent;
    for (int i = 0; i < 20000; ++i) sent += "line " + std::to_string(i) + "\r\n";
    for (const auto feed : tavtest::kFeeds) {
        SCOPED_TRACE(tavtest::feed_name(feed));
        fs::remove_all(dest);
        fs::create_directory(dest);
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
        tav::SplitRun(512).reading(feed).run({fifo, dest, "", "5000"}, sink);
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

// Another user's link in a sticky, world-writable folder is not followed,
// wherever it lies on a path: a root-run split must not write into, or read
// from, a folder that user could not reach.
TEST_F(SplitFaultTest, AnotherUsersLinkOnTheWayIsNotFollowed) {
    if (!tavtest::running_as_root()) GTEST_SKIP() << "planting another user's link needs root";
    const std::string shared = dir / "shared", secret = dir / "secret";
    ASSERT_TRUE(fs::create_directory(shared) && fs::create_directory(secret));
    ::chmod(shared.c_str(), 01777);
    ::chmod(secret.c_str(), 0700);
    write_file(secret + "/secret.txt", "root only\n");
    const auto plant = [&](const std::string& name) {
        const std::string link = shared + "/" + name;
        EXPECT_EQ(::symlink(secret.c_str(), link.c_str()), 0);
        EXPECT_EQ(::lchown(link.c_str(), tavtest::kNobody, tavtest::kNobody), 0);
        return link;
    };
    // As destination folder: the run ends after its first piece, as on a full disk.
    const std::string work = plant("work");
    RecordingSink into;
    tav::SplitRun(512).run({source, work, "", "1"}, into);
    EXPECT_EQ(into.messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(work, 1), kWriteError}));
    EXPECT_EQ(tavtest::count_entries(secret), 1);
    // On the way to the source.
    RecordingSink from;
    tav::SplitRun(512).run({plant("dl") + "/secret.txt", dest, "", "1"}, from);
    EXPECT_EQ(from.messages, (std::vector<Message>{{"0 1", "Get out"}, {"Could not open source file", "Error"}}));
    EXPECT_EQ(tavtest::count_entries(dest), 0);
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

// A stop request (a signal, for the program) ends a run within a moment,
// whatever it waits for, and costs no old piece: what was read is in the
// piece already open, and a piece whose notice was up is not opened at all.
TEST_F(SplitFaultTest, AStopRequestEndsTheRunWithinAMomentAndCostsNoOldPiece) {
    const std::string fifo = dir / "fifo";
    struct Row {
        const char* what;
        std::function<void()> make;  // sets up `fifo` or an old piece
        tav::SplitSettings settings;
        int stop_at;  // the piece whose notice requests the stop; 0: 300 ms into the run
        int pieces;   // the "Outfile" notices
        std::vector<std::string> contents;
    };
    const std::string old = "last week's piece 3\r\n";
    const std::vector<Row> rows = {
        {"a source without end, at a notice", [&] { write_file(tav::piece_path(dest, 3), old); },
         {"/dev/zero", dest, "1", ""}, 3, 3, {std::string(1024, '\0'), std::string(1024, '\0'), old}},
        // A writer that sent one line and waits: this test holds both ends.
        {"a FIFO whose writer waits",
         [&] {
             ::mkfifo(fifo.c_str(), 0600);
             EXPECT_EQ(::write(::open(fifo.c_str(), O_RDWR | O_CLOEXEC), "a\n", 2), 2);
         },
         {fifo, dest, "", "1"}, 0, 2, {"a\r\n", ""}},
        {"a FIFO without a writer", [&] { ::mkfifo(fifo.c_str(), 0600); }, {fifo, dest, "", "1"}, 0, 0, {}},
        // Its reader (this test) never reads: the write waits once the pipe is full.
        {"a piece that is a FIFO nobody empties",
         [&] {
             write_file(source, std::string(1 << 20, 'x'));
             ::mkfifo(tav::piece_path(dest, 1).c_str(), 0600);
             ::open(tav::piece_path(dest, 1).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
         },
         {source, dest, "4096", ""}, 0, 1, {}},
    };
    ::alarm(60);  // a hang kills the test binary rather than the whole CI run
    for (const Row& row : rows) for (const auto feed : tavtest::kFeeds) {
        SCOPED_TRACE(row.what);
        SCOPED_TRACE(tavtest::feed_name(feed));
        fs::remove_all(dest);
        fs::create_directory(dest);
        fs::remove(fifo);
        row.make();
        tav::StopRequest stop;
        std::chrono::steady_clock::time_point requested;
        const auto request = [&] {
            requested = std::chrono::steady_clock::now();
            stop.request();
        };
        HookedSink sink([&](const Message& m) {
            if (row.stop_at != 0 && m == outfile(dest, row.stop_at)) request();
        });
        std::thread later([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            if (row.stop_at == 0) request();
        });
        tav::SplitRun(512).stop_on(stop).reading(feed).run(row.settings, sink);
        const auto took = std::chrono::steady_clock::now() - requested;
        later.join();
        EXPECT_LT(took, std::chrono::seconds(1));
        const std::string limits =
            row.settings.kb.empty() ? "0 1" : std::to_string(std::stoi(row.settings.kb) * 1024) + " 0";
        std::vector<Message> expected{{limits, "Get out"}};
        for (int n = 1; n <= row.pieces; ++n) expected.push_back(outfile(dest, n));
        EXPECT_EQ(sink.messages, expected);
        for (std::size_t n = 1; n <= row.contents.size(); ++n)
            EXPECT_EQ(read_file(tav::piece_path(dest, static_cast<int>(n))), row.contents[n - 1]) << n;
        if (row.pieces == 0) {
            EXPECT_EQ(tavtest::count_entries(dest), 0);
        }
    }
    ::alarm(0);
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
