// Split runs against files that other Windows programs hold locked.
#include "tav/split.h"

#include "splitfaulttest.h"
#include "tav/splitsettings.h"
#include "windowsapi.h"

#include <string>
#include <vector>

using namespace tavtest;

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
