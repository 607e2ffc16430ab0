// The text streams on what only POSIX systems offer: devices, FIFOs,
// /dev/full, /proc and the file size limit.
#include "textfile.h"

#include "support/filesizelimit.h"
#include "support/files.h"
#include "support/textstreams.h"
#include "tav/stoprequest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using tav::TextInFile;
using tav::TextOutFile;
using tav::WriteMode;
using namespace tavtest;

TEST(TextInFile, CtrlZDoesNotEndACharacterDevice) {
    // Random bytes hold a 0x1A every 256 bytes on average; a file would end there.
    TextInFile in(512);
    ASSERT_TRUE(in.open_existing("/dev/urandom"));
    std::size_t delivered = 0;
    char ch = 0;
    while (delivered < 64 * 1024 && !in.get(ch).fail()) ++delivered;
    EXPECT_EQ(delivered, 64u * 1024u);
}

// Its first read waits for a writer, as a pipe's reader does, until a stop.
TEST(TextInFile, AFifoWithoutAWriterOpensAtOnceAndItsReadWaitsUntilAStop) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    ::alarm(60);  // before the fix, open() waited here for a writer that never came
    TextInFile in;
    EXPECT_TRUE(in.open_existing(dir / "fifo"));
    tav::StopRequest stop;
    in.stop_on(&stop);
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        stop.request();
    });
    char ch = 0;
    EXPECT_TRUE(tavtest::at_eof(in.get(ch)));
    EXPECT_FALSE(in.read_error());
    later.join();
    ::alarm(0);
}

TEST(TextInFile, AReadErrorEndsTheInputAndIsRemembered) {
    TempDir dir;
    TextInFile in;
    EXPECT_FALSE(TextInFile().open_existing(dir.path()));  // a folder is no source
    ASSERT_TRUE(in.open_existing("/proc/self/mem"));      // reading at 0 fails
    char ch = 0;
    EXPECT_TRUE(in.get(ch).fail());
    EXPECT_TRUE(tavtest::at_eof(in));
    EXPECT_TRUE(in.read_error());

    TextInFile fine;
    write_file(dir / "f", "abc");
    ASSERT_TRUE(fine.open_existing(dir / "f"));
    while (!tavtest::read_block(fine).empty()) {
    }
    EXPECT_FALSE(fine.read_error());
}

TEST(TextOutFile, AFifoWithoutAReaderFailsToOpenInsteadOfWaitingForever) {
    TempDir dir;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::alarm(60);  // before the fix, open() waited here for a reader that never came
    TextOutFile nobody_reads;
    EXPECT_FALSE(nobody_reads.open(fifo, WriteMode::Truncate));
    // With a reader there, it opens and writes as usual.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    TextOutFile out;
    ASSERT_TRUE(out.open(fifo, WriteMode::AtEnd));
    out.write("a\nb");
    EXPECT_TRUE(out.close());
    char got[8] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 4);
    EXPECT_EQ(std::string(got), "a\r\nb");
    ::close(reader);
    ::alarm(0);
}

TEST(TextOutFile, AFullDiskSetsBadDropsTheRestAndFailsTheClose) {
    TextOutFile out(16);
    ASSERT_TRUE(out.open("/dev/full", WriteMode::Truncate));
    for (int i = 0; i < 40; ++i) tavtest::put(out, 'a');
    EXPECT_TRUE(out.bad());
    EXPECT_TRUE(out.fail());
    EXPECT_FALSE(out.close());
}

TEST(TextOutFile, AnErrorOnlyFoundAtCloseIsReported) {
    TextOutFile out;
    ASSERT_TRUE(out.open("/dev/full", WriteMode::Truncate));
    out.write("fits in the buffer\n");
    EXPECT_TRUE(out.good());
    EXPECT_FALSE(out.close());
}

TEST(TextOutFile, AFileSizeLimitIsAWriteFailure) {
    TempDir dir;
    bool opened = false, closed = false;
    {
        const tavtest::FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.active());
        TextOutFile out(256);
        opened = out.open(dir / "big.txt", WriteMode::Truncate);
        out.write(std::string(2000, 'a'));
        closed = out.close();
    }
    EXPECT_TRUE(opened);
    EXPECT_FALSE(closed);
    EXPECT_EQ(read_file(dir / "big.txt"), std::string(1000, 'a'));
}
