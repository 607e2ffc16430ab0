// The settings file against a hostile machine: no permission to read or
// write it, megabytes of garbage, NUL bytes, a full disk, a FIFO. Loading
// never fails loudly and never changes the file; saving says when it failed.
#include "tav/settings.h"

#include "tav/splitsettings.h"
#include "support/files.h"
#include "support/recordingsink.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include "support/filesizelimit.h"
#include "support/smalldisk.h"
#include "support/unprivileged.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace std::string_literals;
using tav::SettingsFile;
using tav::SplitSettings;
using namespace tavtest;

namespace {

const SplitSettings kValues{"C:\\data\\big.txt", "C:\\out", "", "500"};

SplitSettings load_from(const std::string& path, SplitSettings start = {}) {
    SettingsFile(path).load(start);
    return start;
}

// Bytes that look like nothing in particular; fixed for every run.
std::string garbage(std::size_t size, bool with_line_breaks) {
    std::mt19937 rng(20240607u);
    std::string s(size, '\0');
    for (auto& c : s) {
        c = static_cast<char>(rng() & 0xFF);
        if (!with_line_breaks && c == '\n') c = 'n';
    }
    return s;
}

}  // namespace

TEST(SettingsFaults, GarbageLoadsWithoutHarmAndOnlyTheFirst64KiBAreRead) {
    TempDir dir;
    const std::string path = dir / "tavendrillox.ini";
    const std::string lines = "\nSOURCE=s\nDEST=d\nKB=\nLINES=3\n";
    write_file(path, garbage(32 << 10, true) + lines);
    EXPECT_EQ(load_from(path), (SplitSettings{"s", "d", "", "3"}));
    // Megabytes: what lies past the first 64 KiB is never read.
    const std::string file = garbage(4 << 20, true) + lines;
    write_file(path, file);
    EXPECT_EQ(load_from(path, {"kept", "", "", ""}), (SplitSettings{"kept", "", "1024", ""}));
    EXPECT_EQ(read_file(path), file);  // loading never writes

    // One line of megabytes, never ended: nothing is taken from it.
    write_file(path, garbage(4 << 20, false));
    EXPECT_EQ(load_from(path, {"kept", "", "", ""}), (SplitSettings{"kept", "", "1024", ""}));
}

TEST(SettingsFaults, NulBytesAreOrdinaryCharacters) {
    struct Case {
        std::string file;
        SplitSettings loaded;
    };
    const std::vector<Case> cases = {
        {std::string(64 * 1024, '\0'), {"", "", "1024", ""}},
        {"KB=6\0 4\n"s, {"", "", "6\0 4"s, ""}},
        {"\0KB=6\nLINES=\0\n"s, {"", "", "", "\0"s}},
        {"SOURCE=\0\0\nDEST=d\0\n\0\0\0"s, {"\0\0"s, "d\0"s, "1024", ""}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        write_file(dir / "tavendrillox.ini", c.file);
        EXPECT_EQ(load_from(dir / "tavendrillox.ini"), c.loaded) << c.file.size() << " bytes";
    }
    // And they survive a save.
    const SplitSettings with_nuls{"a\0b"s, "\0"s, "1\0"s, ""};
    RecordingSink sink;
    SettingsFile(dir / "tavendrillox.ini").save(with_nuls, sink);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(load_from(dir / "tavendrillox.ini"), with_nuls);
}

// POSIX only from here (not built for Windows): permissions and uids,
// RLIMIT_FSIZE, tmpfs mounts and FIFOs.
#ifndef _WIN32

namespace {

// The four values as messages, to bring them back from an unprivileged child.
std::vector<Message> as_messages(const SplitSettings& s) {
    return {{s.source, "SOURCE"}, {s.dest, "DEST"}, {s.kb, "KB"}, {s.lines, "LINES"}};
}

mode_t mode_of(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

}  // namespace

TEST(SettingsFaults, AnUnreadableFileLoadsNothingAndIsLeftAsItWas) {
    TempDir dir;
    const std::string path = dir / "tavendrillox.ini";
    write_file(path, "SOURCE=s\nKB=5\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    const auto loaded = tavtest::as_unprivileged([&] {
        auto m = as_messages(load_from(path, {"kept", "d", "", "7"}));
        const auto fresh = as_messages(load_from(path));
        m.insert(m.end(), fresh.begin(), fresh.end());
        return m;
    });
    const auto kept = as_messages({"kept", "d", "", "7"});
    const auto fresh = as_messages({"", "", "1024", ""});
    std::vector<Message> expected = kept;
    expected.insert(expected.end(), fresh.begin(), fresh.end());
    EXPECT_EQ(loaded, expected);
    EXPECT_EQ(mode_of(path), 0u);
    ::chmod(path.c_str(), 0600);  // so that a test run by an ordinary user can look
    EXPECT_EQ(read_file(path), "SOURCE=s\nKB=5\n");
}

TEST(SettingsFaults, AnUnwritableFileIsReportedAndKeepsItsContent) {
    TempDir dir;
    const std::string path = dir / "tavendrillox.ini";
    write_file(path, "SOURCE=old\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const auto messages = tavtest::as_unprivileged([&] {
        RecordingSink sink;
        SettingsFile(path).save(kValues, sink);
        return sink.messages;
    });
    EXPECT_EQ(messages, std::vector<Message>{kSaveError});
    EXPECT_EQ(read_file(path), "SOURCE=old\n");
}

TEST(SettingsFaults, AReadOnlyFolderWithoutTheFileGetsNoFileAndOnlyTheSaveComplains) {
    TempDir dir;
    const std::string folder = dir / "ro";
    std::filesystem::create_directory(folder);
    tavtest::give_to_unprivileged(folder);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    const std::string path = folder + "/tavendrillox.ini";
    const auto messages = tavtest::as_unprivileged([&] {
        auto m = as_messages(load_from(path));
        RecordingSink sink;
        SettingsFile(path).save(kValues, sink);
        m.insert(m.end(), sink.messages.begin(), sink.messages.end());
        return m;
    });
    auto expected = as_messages({"", "", "1024", ""});
    expected.push_back(kSaveError);
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(tavtest::count_entries(folder), 0);
}

TEST(SettingsFaults, ASaveCutShortByAFileSizeLimitIsReportedAndKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir / "tavendrillox.ini";
    const std::string old = tavtest::settings_text("old.txt", "out", "", "3");
    write_file(path, old);
    ::chmod(path.c_str(), 0640);
    RecordingSink sink;
    {
        const tavtest::FileSizeLimit limit(16);
        ASSERT_TRUE(limit.active());
        SettingsFile(path).save(kValues, sink);
    }
    EXPECT_EQ(sink.messages, std::vector<Message>{kSaveError});
    EXPECT_EQ(read_file(path), old);
    EXPECT_EQ(tavtest::count_entries(dir.path()), 1);  // no half-written file left beside it
    // Saved again with room, the file keeps its permissions.
    RecordingSink again;
    SettingsFile(path).save(kValues, again);
    EXPECT_TRUE(again.messages.empty());
    EXPECT_EQ(load_from(path), kValues);
    EXPECT_EQ(mode_of(path), 0640u);
}

TEST(SettingsFaults, ALinkedSettingsFileStaysLinkedAndGetsTheNewText) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    const std::string target = dir / "real/settings.ini", hard = dir / "real/second-name.ini";
    write_file(target, "SOURCE=old\n");
    ASSERT_EQ(::symlink("real/settings.ini", (dir / "tavendrillox.ini").c_str()), 0);
    ASSERT_EQ(::link(target.c_str(), hard.c_str()), 0);
    RecordingSink sink;
    SettingsFile(dir / "tavendrillox.ini").save(kValues, sink);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "tavendrillox.ini"));
    // Both names of the file see the new text; nothing else is left behind.
    EXPECT_EQ(load_from(dir / "tavendrillox.ini"), kValues);
    EXPECT_EQ(read_file(hard), read_file(target));
    EXPECT_EQ(tavtest::count_entries(dir / "real"), 2);

    // With one name, the new file takes the target's place beside it.
    std::filesystem::remove(hard);
    SettingsFile(dir / "tavendrillox.ini").save({"new", "", "", "9"}, sink);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(load_from(target), (SplitSettings{"new", "", "", "9"}));
    EXPECT_EQ(tavtest::count_entries(dir / "real"), 1);
    EXPECT_EQ(tavtest::count_entries(dir.path()), 2);
}

TEST(SettingsFaults, AFullFileSystemDuringTheSaveIsReported) {
    TempDir dir;
    const std::string folder = dir / "disk";
    std::filesystem::create_directory(folder);
    tavtest::SmallDisk disk(folder, 16 * 1024);
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs root outside a container)";
    // Fill the disk to the last byte.
    {
        std::ofstream filler(folder + "/filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
    }
    RecordingSink sink;
    SettingsFile(folder + "/tavendrillox.ini").save(kValues, sink);
    EXPECT_EQ(sink.messages, std::vector<Message>{kSaveError});
    // Once there is room again, the same save goes through.
    std::filesystem::remove(folder + "/filler");
    RecordingSink again;
    SettingsFile(folder + "/tavendrillox.ini").save(kValues, again);
    EXPECT_TRUE(again.messages.empty());
    EXPECT_EQ(load_from(folder + "/tavendrillox.ini"), kValues);
}

TEST(SettingsFaults, AFifoAsSettingsFileNeitherHangsTheLoadNorTheSave) {
    TempDir dir;
    const std::string path = dir / "tavendrillox.ini";
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    ::alarm(60);  // a hang kills the test binary rather than the whole CI run
    EXPECT_EQ(load_from(path, {"kept", "", "", ""}), (SplitSettings{"kept", "", "1024", ""}));
    RecordingSink sink;
    SettingsFile(path).save(kValues, sink);
    ::alarm(0);
    EXPECT_EQ(sink.messages, std::vector<Message>{kSaveError});
}

#endif  // !_WIN32
