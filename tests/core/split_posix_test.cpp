// Split runs on what only POSIX systems offer: links, permissions, terminals
// and the file size limit.
#include "tav/split.h"

#include "splitruntest.h"
#include "support/feeds.h"
#include "support/filesizelimit.h"
#include "support/unprivileged.h"

#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace tavtest;

TEST_F(SplitRunTest, NeverWritesOverTheSourceOrAnEarlierPieceThroughALink) {
    const std::string text = "first\nsecond\n";
    struct Case {
        const char* what;
        std::function<int()> link;
        int refused;                      // the piece that is reported and skipped
        std::vector<std::string> pieces;  // as read afterwards, through the links
    };
    const std::vector<Case> cases = {
        {"symbolic link to the source", [&] { return ::symlink(source().c_str(), piece(1).c_str()); }, 1,
         {text, "second\r\n", ""}},
        {"hard link to the source", [&] { return ::link(source().c_str(), piece(2).c_str()); }, 2,
         {"first\r\n", text, ""}},
        // Cutting piece 1 again would lose it without a word.
        {"symbolic link to piece 1", [&] { return ::symlink("tavendrillox1.txt", piece(2).c_str()); }, 2,
         {"first\r\n", "first\r\n", ""}},
        {"hard link to piece 1",
         [&] {
             write_file(piece(1), "left from an earlier run");
             return ::link(piece(1).c_str(), piece(3).c_str());
         },
         3, {"first\r\n", "second\r\n", "first\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dest());
        std::filesystem::create_directory(dest());
        write_file(source(), text);
        ASSERT_EQ(c.link(), 0);
        std::vector<Message> expected{{"0 1", "Get out"}};
        for (int n = 1; n <= 3; ++n) {
            expected.push_back(outfile(n));
            if (n == c.refused) expected.push_back(kWriteError);
        }
        EXPECT_EQ(run({source(), dest(), "", "1"}), expected);
        EXPECT_EQ(read_file(source()), text);
        EXPECT_EQ(pieces(), c.pieces);
    }
}

TEST_F(SplitRunTest, AnUnreadableSourceIsReported) {
    // Root reads any file, so the run happens in a child that gave up root.
    write_file(source(), "secret");
    ::chmod(source().c_str(), 0);
    tavtest::give_to_unprivileged(dest());
    const auto messages = tavtest::as_unprivileged([&] { return run({source(), dest(), "", "1"}); });
    EXPECT_EQ(messages, (std::vector<Message>{{"0 1", "Get out"}, {"Could not open source file", "Error"}}));
    EXPECT_EQ(tavtest::count_entries(dest()), 0);
    ::chmod(source().c_str(), 0644);
    EXPECT_EQ(read_file(source()), "secret");
}

TEST_F(SplitRunTest, AReadErrorAfterSomeDataKeepsThatDataInTheFinalPiece) {
    // A process that reads its controlling terminal from outside the terminal's
    // foreground, ignoring SIGTTIN, gets EIO. The run leaves the foreground when
    // its second piece starts, after its first read, in a session of its own.
    for (const auto feed : tavtest::kFeeds) {
        SCOPED_TRACE(tavtest::feed_name(feed));
        std::filesystem::remove_all(dest());
        std::filesystem::create_directory(dest());
        const int other_end = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(other_end, 0);
        ASSERT_EQ(::grantpt(other_end), 0);
        ASSERT_EQ(::unlockpt(other_end), 0);
        const std::string terminal = ::ptsname(other_end);
        const std::string text = "first\nsecond";
        const auto messages = tavtest::in_child([&] {
            ::setsid();
            const int own = ::open(terminal.c_str(), O_RDWR);  // becomes the controlling terminal
            ::signal(SIGTTIN, SIG_IGN);
            ::signal(SIGTTOU, SIG_IGN);
            // Raw: bytes pass unchanged, and a read returns whatever has arrived.
            struct termios raw {};
            ::tcgetattr(own, &raw);
            ::cfmakeraw(&raw);
            ::tcsetattr(own, TCSANOW, &raw);
            if (::write(other_end, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
                return std::vector<Message>{};
            // Wait until all of it can be read, so that the first read takes it whole.
            for (int waited = 0, queued = 0; ::ioctl(own, FIONREAD, &queued) == 0 &&
                                             queued < static_cast<int>(text.size()) && waited < 500;
                 ++waited)
                ::usleep(10000);
            const pid_t foreground = ::fork();
            if (foreground == 0) {
                ::setpgid(0, 0);
                ::pause();
                ::_exit(0);
            }
            ::setpgid(foreground, foreground);
            // A reader ahead may already wait for more: a byte wakes it to the error.
            tavtest::HookedSink sink([&](const Message& m) {
                if (m == outfile(2) && ::tcsetpgrp(own, foreground) == 0) (void)!::write(other_end, "x", 1);
            });
            tav::SplitRun(512).reading(feed).run({terminal, dest(), "", "1"}, sink);
            ::kill(foreground, SIGKILL);
            return sink.messages;
        });
        ::close(other_end);
        EXPECT_EQ(messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(1), outfile(2),
                                                 {"Could not read source file", "Error"}}));
        EXPECT_EQ(pieces(), (std::vector<std::string>{"first\r\n", "second"}));
    }
}

TEST_F(SplitRunTest, APieceOverTheFileSizeLimitIsReportedAndEndsTheRun) {
    // Piece 1 exceeds the limit, and so might any later one: the run ends
    // there rather than ask about every piece in turn.
    const std::string big(3000, 'x');
    write_file(source(), big + "\nshort\n" + big + "\n");
    RecordingSink sink;
    {
        const tavtest::FileSizeLimit limit(2048);
        ASSERT_TRUE(limit.active());
        tav::SplitRun(512).run({source(), dest(), "", "1"}, sink);
    }

    EXPECT_EQ(sink.messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(1), kWriteError}));
    EXPECT_EQ(read_file(piece(1))->size(), 2048u);
    EXPECT_EQ(tavtest::count_entries(dest()), 1);
    EXPECT_EQ(read_file(source())->size(), 2 * 3001u + 6u);
}
