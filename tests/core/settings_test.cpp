#include "tav/settings.h"

#include "tav/splitsettings.h"
#include "support/files.h"
#include "support/recordingsink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;
using tav::SettingsFile;
using tav::SplitSettings;
using namespace tavtest;

namespace {


SplitSettings load_from(const std::string& path) {
    SplitSettings s;
    SettingsFile(path).load(s);
    return s;
}

}  // namespace

TEST(SettingsFile, SavesSixCrLfLinesExactly) {
    TempDir dir;
    RecordingSink sink;
    SettingsFile(dir / "tavendrillox.ini").save({"C:\\data\\big.txt", "C:\\out", "", "500"}, sink);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(read_file(dir / "tavendrillox.ini"),
              "CREATOR=TAVENDRILLOX 1.0\r\nSOURCE=C:\\data\\big.txt\r\nDEST=C:\\out\r\nKB=\r\nLINES=500\r\n\r\n");
}

TEST(SettingsFile, RoundTripsValuesIncludingEqualsSigns) {
    TempDir dir;
    const std::string path = dir / "tavendrillox.ini";
    const std::vector<SplitSettings> cases = {
        {"C:\\data\\big.txt", "C:\\out", "", "500"},
        {"C:\\a=b.txt", "/x==y=", "=", "a=b=c"},
        {"  leading spaces", "\tx", "64", "12"},
        {"caf\xc3\xa9 \x01\x7f", "/tmp/out dir", "1024", ""},
    };
    for (const auto& saved : cases) {
        RecordingSink sink;
        SettingsFile(path).save(saved, sink);
        EXPECT_TRUE(sink.messages.empty());
        EXPECT_EQ(load_from(path), saved) << saved.source;
    }
}

TEST(SettingsFile, AValueHoldingCtrlZDoesNotHideTheValuesAfterIt) {
    // Found by fuzzing: a 0x1A in SOURCE used to end the file on load, losing
    // DEST, KB and LINES.
    TempDir dir;
    const std::string path = dir / "tavendrillox.ini";
    const SplitSettings saved{"\x02\x08\x1A\x08", "d", "", "7"};
    RecordingSink sink;
    SettingsFile(path).save(saved, sink);
    EXPECT_EQ(load_from(path), saved);
}

TEST(SettingsFile, LoadRules) {
    struct Case {
        std::string file;
        SplitSettings loaded;
    };
    const std::vector<Case> cases = {
        // Trailing white space goes, leading white space stays.
        {"SOURCE= x \t\r\nDEST=d  \n", {" x", "d", "1024", ""}},
        // A line with leading white space before its key is not recognised.
        {" KB=5\nLINES=3\n", {"", "", "", "3"}},
        // Keys are case-sensitive; unknown keys are ignored.
        {"kb=10\nSource=x\nCREATOR=y\n=z\n", {"", "", "1024", ""}},
        // A final line without a line break is ignored.
        {"KB=64", {"", "", "1024", ""}},
        {"LINES=1\nKB=64", {"", "", "", "1"}},
        // Both limits present: both load and no default applies.
        {"KB=8\nLINES=9\n", {"", "", "8", "9"}},
        // Later lines win; a key without an equals sign sets an empty value.
        {"DEST=a\nDEST=b\nSOURCE=s\nSOURCE\n", {"", "b", "1024", ""}},
        // LF-only and CR LF files read alike; NUL bytes are kept in values.
        {"SOURCE=a\0b\r\nKB=\n"s, {"a\0b"s, "", "1024", ""}},
        // A 0x1A is an ordinary character in this file: it spoils only the
        // key it stands in, and a value keeps it.
        {"DEST=d\n\x1A" "SOURCE=s\n", {"", "d", "1024", ""}},
        {"SOURCE=a\x1A" "b\nDEST=d\n", {"a\x1A" "b", "d", "1024", ""}},
        {"", {"", "", "1024", ""}},
    };
    TempDir dir;
    const std::string path = dir / "tavendrillox.ini";
    for (const auto& c : cases) {
        write_file(path, c.file);
        EXPECT_EQ(load_from(path), c.loaded) << c.file;
    }
}

TEST(SettingsFile, LoadKeepsFieldsTheFileDoesNotName) {
    TempDir dir;
    write_file(dir / "tavendrillox.ini", "DEST=new\n");
    SplitSettings s{"kept source", "old", "", "7"};
    SettingsFile(dir / "tavendrillox.ini").load(s);
    EXPECT_EQ(s, (SplitSettings{"kept source", "new", "", "7"}));
}

TEST(SettingsFile, AFirstStartCreatesAnEmptyFileAndDefaultsKb) {
    TempDir dir;
    EXPECT_EQ(load_from(dir / "tavendrillox.ini"), (SplitSettings{"", "", "1024", ""}));
    EXPECT_EQ(read_file(dir / "tavendrillox.ini"), "");
}

TEST(SettingsFile, AFileThatCannotBeReadStillGetsTheDefault) {
    TempDir dir;
    EXPECT_EQ(load_from(dir / "no/such/tavendrillox.ini"), (SplitSettings{"", "", "1024", ""}));
    EXPECT_FALSE(tavtest::exists(dir / "no"));
    EXPECT_EQ(load_from(dir.path()), (SplitSettings{"", "", "1024", ""}));
}

TEST(SettingsFile, ASaveThatCannotOpenIsReportedAndTouchesNothing) {
    TempDir dir;
    for (const std::string& path : {dir / "no/such/tavendrillox.ini", dir.path()}) {
        RecordingSink sink;
        SettingsFile(path).save({"s", "d", "1", ""}, sink);
        EXPECT_EQ(sink.messages, std::vector<Message>{kSaveError}) << path;
    }
    EXPECT_EQ(tavtest::count_entries(dir.path()), 0);
}

TEST(SettingsFile, ASaveThatCannotWriteIsReported) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: writes to /dev/full";
#else
    RecordingSink sink;
    SettingsFile("/dev/full").save({"s", "d", "1", ""}, sink);
    EXPECT_EQ(sink.messages, std::vector<Message>{kSaveError});
#endif
}
