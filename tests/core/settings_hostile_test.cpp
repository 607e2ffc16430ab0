// Settings files that a hostile user or bad luck might leave: another user's
// link in a shared folder, a full disk, no free inodes, a name too long, a
// file without end, extended attributes, the leftovers of a killed save.
// Loading reads only what it should; saving either goes through or is
// reported with the old text whole.
#include "tav/settings.h"

#include "support/files.h"
#include "support/recordingsink.h"
#include "support/smalldisk.h"
#include "support/unprivileged.h"
#include "tav/splitsettings.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

using tav::SettingsFile;
using tav::SplitSettings;
using namespace tavtest;

namespace {

const std::string kOld = tavtest::settings_text("old.txt", "out", "", "3");
const SplitSettings kOldValues{"old.txt", "out", "", "3"}, kDefaults{"kept", "", "1024", ""};

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

// Makes `folder` sticky and world-writable, with a link in it to `target`
// that belongs to another user; needs root.
std::string plant_foreign_link(const std::string& folder, const std::string& target) {
    ::chmod(folder.c_str(), 01777);
    const std::string link = folder + "/tavendrillox.ini";
    if (::symlink(target.c_str(), link.c_str()) != 0 || ::lchown(link.c_str(), tavtest::kNobody, tavtest::kNobody) != 0)
        ADD_FAILURE() << "cannot plant " << link;
    return link;
}

const std::string kSecret = "/tmp/tavtest-root-only";

std::vector<Row> link_rows() {
    return {
        {"another user's link to a root-only file, in a sticky folder",
         [](const std::string& folder) {
             if (!tavtest::running_as_root()) return std::string();
             write_file(kSecret, "SOURCE=secret\n");
             ::chmod(kSecret.c_str(), 0600);
             return plant_foreign_link(folder, kSecret);
         },
         false, kDefaults, false, [](const std::string&) { EXPECT_EQ(read_file(kSecret), "SOURCE=secret\n"); }},
        {"another user's dangling link, in a sticky folder",
         [](const std::string& folder) {
             return tavtest::running_as_root() ? plant_foreign_link(folder, folder + "-created") : std::string();
         },
         false, kDefaults, false, [](const std::string& folder) { EXPECT_FALSE(tavtest::exists(folder + "-created")); }},
    };
}

std::vector<Row> no_room_rows() {
    return {
        {"a hard-linked file on a full file system",
         [](const std::string& folder) {
             write_file(folder + "/tavendrillox.ini", kOld);
             ::link((folder + "/tavendrillox.ini").c_str(), (folder + "/second").c_str());
             fill_up(folder, true);
             return folder + "/tavendrillox.ini";
         },
         true, kOldValues, false, [](const std::string& folder) { EXPECT_EQ(read_file(folder + "/second"), kOld); }},
        {"a folder without free inodes",
         [](const std::string& folder) {
             write_file(folder + "/tavendrillox.ini", kOld);
             fill_up(folder, false);  // room for bytes, none for names
             return folder + "/tavendrillox.ini";
         },
         true, kOldValues, false, nullptr},
        {"a name too long for a temporary file beside it",
         [](const std::string& folder) {
             write_file(folder + "/" + std::string(250, 'n'), kOld);
             return folder + "/" + std::string(250, 'n');
         },
         false, kOldValues, false, nullptr},
    };
}

std::vector<Row> odd_file_rows() {
    return {
        {"a link to /dev/zero",
         [](const std::string& folder) {
             ::symlink("/dev/zero", (folder + "/tavendrillox.ini").c_str());
             return folder + "/tavendrillox.ini";
         },
         false, kDefaults, true, nullptr},
        {"a FIFO whose writer stays",
         [](const std::string& folder) {
             ::mkfifo((folder + "/tavendrillox.ini").c_str(), 0600);
             // Reader and writer both, for the rest of the test process.
             ::open((folder + "/tavendrillox.ini").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
             return folder + "/tavendrillox.ini";
         },
         false, kDefaults, true, nullptr},
        {"a file with extended attributes",
         [](const std::string& folder) {
             write_file(folder + "/tavendrillox.ini", kOld);
             if (::setxattr((folder + "/tavendrillox.ini").c_str(), "user.tav", "kept", 4, 0) != 0) return std::string();
             return folder + "/tavendrillox.ini";
         },
         false, kOldValues, true,
         [](const std::string& folder) {
             char value[8] = {};
             EXPECT_EQ(::getxattr((folder + "/tavendrillox.ini").c_str(), "user.tav", value, sizeof value), 4);
             EXPECT_STREQ(value, "kept");
         }},
    };
}

void check_row(const Row& row) {
    SCOPED_TRACE(row.what);
    TempDir dir;
    const std::string folder = dir / "folder";
    std::filesystem::create_directory(folder);
    std::optional<tavtest::SmallDisk> disk;
    if (row.disk && !disk.emplace(folder, 64 * 1024, 64).mounted()) return;
    const std::string path = row.make(folder);
    if (path.empty()) return;
    SplitSettings loaded{"kept", "", "", ""};
    SettingsFile(path).load(loaded);
    EXPECT_EQ(loaded, row.loads);
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

}  // namespace

TEST(SettingsHostile, NeitherFollowedNorEndlessNorLost) {
    ::alarm(120);  // a hang kills the test binary rather than the whole CI run
    for (const auto& rows : {link_rows(), no_room_rows(), odd_file_rows()})
        for (const Row& row : rows) check_row(row);
    ::alarm(0);
    std::filesystem::remove(kSecret);
}

// What a save killed half-way left behind goes with a later save; a file a
// save still holds, a recent one, another user's or another name stays.
TEST(SettingsHostile, ALaterSaveRemovesOnlyTheLeftoversOfSavesThatWereKilled) {
    TempDir dir;
    const std::string path = dir / "tavendrillox.ini";
    const auto leftover = [&](const std::string& tail, bool old) {
        write_file(path + ".tmp" + tail, "half");
        const std::time_t when = std::time(nullptr) - (old ? 3600 : 0);
        const timespec times[2] = {{when, 0}, {when, 0}};
        ::utimensat(AT_FDCWD, (path + ".tmp" + tail).c_str(), times, 0);
        return path + ".tmp" + tail;
    };
    const std::string killed = leftover("killed", true), recent = leftover("recent", false),
                      other = leftover("others", true), held = leftover("inheld", true),
                      longer = leftover("longer1", true), unreadable = leftover("noread", true),
                      users_own = leftover("-saved", true), capitals = leftover("BACKUP", true);
    ::chmod(unreadable.c_str(), 0);
    if (tavtest::running_as_root()) ::chown(other.c_str(), tavtest::kNobody, tavtest::kNobody);
    const int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    RecordingSink sink;
    SettingsFile(path).save({"s", "d", "", "1"}, sink);
    ::close(holder);
    EXPECT_TRUE(sink.messages.empty());
    for (const std::string& gone : {killed, unreadable}) EXPECT_FALSE(tavtest::exists(gone)) << gone;
    for (const std::string& kept : {recent, held, longer, users_own, capitals})
        EXPECT_TRUE(tavtest::exists(kept)) << kept;
    EXPECT_EQ(tavtest::exists(other), tavtest::running_as_root());
}

// A group member who may write the file but not keep its owner keeps its
// group, so the rest of the group can still write it.
TEST(SettingsHostile, ASaveKeepsTheGroupWhereItCannotKeepTheOwner) {
    if (!tavtest::running_as_root()) GTEST_SKIP() << "a file of another owner and group needs root";
    constexpr gid_t kTeam = 4321;
    TempDir dir;
    const std::string path = dir / "tavendrillox.ini";
    write_file(path, kOld);
    ASSERT_EQ(::chown(path.c_str(), 0, kTeam), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
    tavtest::give_to_unprivileged(dir.path());
    const auto messages = tavtest::in_child([&] {
        if (::setgroups(1, &kTeam) != 0 || ::setgid(tavtest::kNobody) != 0 || ::setuid(tavtest::kNobody) != 0)
            ::_exit(2);
        RecordingSink sink;
        SettingsFile(path).save(kOldValues, sink);
        return sink.messages;
    });
    EXPECT_TRUE(messages.empty());
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, tavtest::kNobody);
    EXPECT_EQ(st.st_gid, kTeam);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
}
