// Windows only: the sharing rules and identities that the Win32 file layer
// promises. Built into the test binary only for Windows targets.
#include "rawfile.h"

#include "support/files.h"
#include "textfile.h"

#include <gtest/gtest.h>

#include "windowsapi.h"

#include <string>

using tav::RawFile;
using tav::WriteMode;
using namespace tavtest;

namespace {

// What another program gets when it opens the file for reading and writing.
HANDLE open_as_other_program(const std::string& path) {
    return ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// While `file` is open: others may read and write it but not delete or rename it.
void expect_shared_but_pinned(const std::string& path, const std::string& renamed) {
    const HANDLE other = open_as_other_program(path);
    ASSERT_NE(other, INVALID_HANDLE_VALUE) << ::GetLastError();
    DWORD n = 0;
    EXPECT_TRUE(::WriteFile(other, "W", 1, &n, nullptr) && n == 1);
    EXPECT_NE(::SetFilePointer(other, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    char byte = 0;
    EXPECT_TRUE(::ReadFile(other, &byte, 1, &n, nullptr) && n == 1);
    EXPECT_EQ(byte, 'W');
    ::CloseHandle(other);

    EXPECT_FALSE(::DeleteFileA(path.c_str()));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(::MoveFileA(path.c_str(), renamed.c_str()));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(tavtest::exists(path));
    EXPECT_FALSE(tavtest::exists(renamed));
}

}  // namespace

TEST(RawFileWin32, AnOpenOutputFileIsSharedForReadingAndWritingButNotDeleting) {
    TempDir dir;
    for (const WriteMode mode : {WriteMode::Truncate, WriteMode::AtEnd}) {
        tav::TextOutFile out;
        ASSERT_TRUE(out.open(dir / "piece.txt", mode));
        expect_shared_but_pinned(dir / "piece.txt", dir / "moved.txt");
        EXPECT_TRUE(out.close());
        EXPECT_TRUE(::DeleteFileA((dir / "piece.txt").c_str()));
    }
}

TEST(RawFileWin32, AnOpenInputFileIsSharedForReadingAndWritingButNotDeleting) {
    TempDir dir;
    write_file(dir / "source.txt", "abc");
    tav::TextInFile in;
    ASSERT_TRUE(in.open_existing(dir / "source.txt"));
    expect_shared_but_pinned(dir / "source.txt", dir / "moved.txt");
    EXPECT_TRUE(in.close());
    EXPECT_TRUE(::MoveFileA((dir / "source.txt").c_str(), (dir / "moved.txt").c_str()));
}

TEST(RawFileWin32, TruncateKeepsTheFileItselfAndAtEndWritesAfterTheOldContent) {
    TempDir dir;
    write_file(dir / "f.txt", "old content");
    const auto before = tav::identify(dir / "f.txt");
    ASSERT_TRUE(before.has_value());
    {
        RawFile f = RawFile::open_write(dir / "f.txt", WriteMode::Truncate);
        ASSERT_TRUE(f.is_open());
        EXPECT_EQ(f.id(), before);
        EXPECT_TRUE(f.write_all("new", 3));
        EXPECT_TRUE(f.close());
    }
    {
        RawFile f = RawFile::open_write(dir / "f.txt", WriteMode::AtEnd);
        EXPECT_TRUE(f.write_all("er", 2));
        EXPECT_TRUE(f.close());
    }
    EXPECT_EQ(read_file(dir / "f.txt"), "newer");
    EXPECT_EQ(tav::identify(dir / "f.txt"), before);
}

TEST(RawFileWin32, IdentityIgnoresSpellingAndCoversFolders) {
    TempDir dir;
    write_file(dir / "f.txt", "x");
    write_file(dir / "g.txt", "x");
    const auto id = tav::identify(dir / "f.txt");
    ASSERT_TRUE(id.has_value());
    // Windows resolves ".." by the name alone, even past a folder that does not exist.
    EXPECT_EQ(tav::identify(dir.path() + "/no-such-folder/../f.txt"), id);
    EXPECT_EQ(tav::identify(dir.path() + "\\.\\F.TXT"), id);
    EXPECT_NE(tav::identify(dir / "g.txt"), id);
    EXPECT_TRUE(tav::identify(dir.path()).has_value());
    EXPECT_EQ(tav::identify(dir / "missing.txt"), std::nullopt);
}

TEST(RawFileWin32, OpenForReadingCreatesAMissingFileOnlyWhenAsked) {
    TempDir dir;
    EXPECT_FALSE(RawFile::open_read(dir / "a.txt", false).is_open());
    EXPECT_FALSE(tavtest::exists(dir / "a.txt"));
    RawFile created = RawFile::open_read(dir / "a.txt", true);
    EXPECT_TRUE(created.is_open());
    EXPECT_EQ(read_file(dir / "a.txt"), "");
    // A folder is not a file to read.
    EXPECT_FALSE(RawFile::open_read(dir.path(), false).is_open());
}

TEST(RawFileWin32, TheNulDeviceIsACharacterDevice) {
    RawFile nul = RawFile::open_read("NUL", false);
    ASSERT_TRUE(nul.is_open());
    EXPECT_TRUE(nul.is_char_device());
    char buffer[4];
    EXPECT_EQ(nul.read(buffer, sizeof buffer), 0);
}
