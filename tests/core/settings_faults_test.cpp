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

#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <fstream>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

using namespace std::string_literals;
using tav::SettingsFile;
using tav::SplitSettings;
using tavtest::Message;
using tavtest::read_file;
using tavtest::RecordingSink;
using tavtest::TempDir;
using tavtest::write_file;

namespace {

const Message kSaveError{"Save to File", "Error Writing File"};
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

namespace {

// Fills the file system that holds `folder` until it takes no more names
// and, with `bytes`, no more bytes either.
void fill_up(const std::string& folder, bool bytes) {
    if (bytes) {
        std::ofstream filler(folder + "/filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
    }
    for (int n = 0; std::ofstream(folder + "/name" + std::to_string(n)); ++n) {
    }
}

}  // namespace

// Each row makes a settings file that a hostile user or bad luck might
// leave; loading reads only what it should, and saving either goes through
// or is reported with the old text whole.
TEST(SettingsFaults, HostileSettingsFilesAreNeitherFollowedNorEndlessNorLost) {
    const std::string old = tavtest::settings_text("old.txt", "out", "", "3");
    const SplitSettings old_values{"old.txt", "out", "", "3"}, defaults{"kept", "", "1024", ""};
    struct Row {
        const char* what;
        // Sets the row up in `folder` (mounted on a small disk if `disk`);
        // returns the settings file's path, or nothing to skip the row.
        std::function<std::string(const std::string& folder)> make;
        bool disk;
        SplitSettings loads;
        bool saves;
        std::function<void(const std::string& folder)> check;
    };
    const auto foreign_link = [](const std::string& folder, const std::string& target) {
        ::chmod(folder.c_str(), 01777);
        const std::string link = folder + "/tavendrillox.ini";
        if (::symlink(target.c_str(), link.c_str()) != 0 || ::lchown(link.c_str(), tavtest::kNobody, tavtest::kNobody) != 0)
            ADD_FAILURE() << "cannot plant " << link;
        return link;
    };
    const std::string secret = "/tmp/tavtest-root-only";
    const std::vector<Row> rows = {
        {"another user's link to a root-only file, in a sticky folder",
         [&](const std::string& folder) {
             if (!tavtest::running_as_root()) return std::string();
             write_file(secret, "SOURCE=secret\n");
             ::chmod(secret.c_str(), 0600);
             return foreign_link(folder, secret);
         },
         false, defaults, false,
         [&](const std::string&) { EXPECT_EQ(read_file(secret), "SOURCE=secret\n"); }},
        {"another user's dangling link, in a sticky folder",
         [&](const std::string& folder) {
             return tavtest::running_as_root() ? foreign_link(folder, folder + "-created") : std::string();
         },
         false, defaults, false,
         [](const std::string& folder) { EXPECT_FALSE(tavtest::exists(folder + "-created")); }},
        {"a hard-linked file on a full file system",
         [&](const std::string& folder) {
             write_file(folder + "/tavendrillox.ini", old);
             ::link((folder + "/tavendrillox.ini").c_str(), (folder + "/second").c_str());
             fill_up(folder, true);
             return folder + "/tavendrillox.ini";
         },
         true, old_values, false, [&](const std::string& folder) { EXPECT_EQ(read_file(folder + "/second"), old); }},
        {"a folder without free inodes",
         [&](const std::string& folder) {
             write_file(folder + "/tavendrillox.ini", old);
             fill_up(folder, false);  // room for bytes, none for names
             return folder + "/tavendrillox.ini";
         },
         true, old_values, false, nullptr},
        {"a name too long for a temporary file beside it",
         [&](const std::string& folder) {
             write_file(folder + "/" + std::string(250, 'n'), old);
             return folder + "/" + std::string(250, 'n');
         },
         false, old_values, false, nullptr},
        {"a link to /dev/zero",
         [](const std::string& folder) {
             ::symlink("/dev/zero", (folder + "/tavendrillox.ini").c_str());
             return folder + "/tavendrillox.ini";
         },
         false, defaults, true, nullptr},
        {"a FIFO whose writer stays",
         [](const std::string& folder) {
             ::mkfifo((folder + "/tavendrillox.ini").c_str(), 0600);
             // Reader and writer both, for the rest of the test process.
             ::open((folder + "/tavendrillox.ini").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
             return folder + "/tavendrillox.ini";
         },
         false, defaults, true, nullptr},
        {"a file with extended attributes",
         [&](const std::string& folder) {
             write_file(folder + "/tavendrillox.ini", old);
             if (::setxattr((folder + "/tavendrillox.ini").c_str(), "user.tav", "kept", 4, 0) != 0) return std::string();
             return folder + "/tavendrillox.ini";
         },
         false, old_values, true,
         [](const std::string& folder) {
             char value[8] = {};
             EXPECT_EQ(::getxattr((folder + "/tavendrillox.ini").c_str(), "user.tav", value, sizeof value), 4);
             EXPECT_STREQ(value, "kept");
         }},
    };
    ::alarm(120);  // a hang kills the test binary rather than the whole CI run
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        const std::string folder = dir / "folder";
        std::filesystem::create_directory(folder);
        std::optional<tavtest::SmallDisk> disk;
        if (row.disk && !disk.emplace(folder, 64 * 1024, 64).mounted()) continue;
        const std::string path = row.make(folder);
        if (path.empty()) continue;
        EXPECT_EQ(load_from(path, {"kept", "", "", ""}), row.loads);
        const std::optional<std::string> before = row.saves ? std::nullopt : read_file(path);
        RecordingSink sink;
        // More than a page, so that the old file's blocks cannot hold it.
        SettingsFile(path).save({std::string(5000, 's'), "d", "", "1"}, sink);
        EXPECT_EQ(sink.messages, row.saves ? std::vector<Message>{} : std::vector<Message>{kSaveError});
        if (!row.saves) {
            EXPECT_EQ(read_file(path), before);
        }
        if (row.check) row.check(folder);
    }
    ::alarm(0);
    std::filesystem::remove(secret);
}

// What a save killed half-way left behind goes with a later save; a file a
// save still holds, a recent one, another user's or another name stays.
TEST(SettingsFaults, ALaterSaveRemovesOnlyTheLeftoversOfSavesThatWereKilled) {
    TempDir dir;
    const std::string path = dir / "tavendrillox.ini";
    const auto leftover = [&](const std::string& tail, bool old) {
        write_file(path + ".tmp" + tail, "half");
        const timespec times[2] = {{std::time(nullptr) - (old ? 3600 : 0), 0}, {std::time(nullptr) - (old ? 3600 : 0), 0}};
        ::utimensat(AT_FDCWD, (path + ".tmp" + tail).c_str(), times, 0);
        return path + ".tmp" + tail;
    };
    const std::string killed = leftover("killed", true), recent = leftover("recent", false),
                      other = leftover("others", true), held = leftover("inheld", true), longer = leftover("longer1", true);
    if (tavtest::running_as_root()) ::chown(other.c_str(), tavtest::kNobody, tavtest::kNobody);
    const int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    RecordingSink sink;
    SettingsFile(path).save(kValues, sink);
    ::close(holder);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_FALSE(tavtest::exists(killed));
    for (const std::string& kept : {recent, held, longer}) EXPECT_TRUE(tavtest::exists(kept)) << kept;
    EXPECT_EQ(tavtest::exists(other), tavtest::running_as_root());
}

#endif  // !_WIN32
