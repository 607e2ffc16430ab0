#include "textfile.h"

#include "support/files.h"
#include "support/textstreams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace std::string_literals;
using tav::TextInFile;
using tav::TextOutFile;
using tav::WriteMode;
using namespace tavtest;

namespace {

// Everything get() delivers, one character at a time.
std::string read_by_char(const std::string& path, std::size_t buffer_size, bool ctrl_z_ends = true) {
    TextInFile in(buffer_size);
    in.set_ctrl_z_ends_input(ctrl_z_ends);
    EXPECT_TRUE(in.open_existing(path));
    std::string out;
    char ch = 0;
    while (!in.get(ch).fail() && !in.bad()) out += ch;
    EXPECT_TRUE(tavtest::at_eof(in));
    return out;
}

// Everything read_block() delivers.
std::string read_by_block(const std::string& path, std::size_t buffer_size, bool ctrl_z_ends = true) {
    TextInFile in(buffer_size);
    in.set_ctrl_z_ends_input(ctrl_z_ends);
    EXPECT_TRUE(in.open_existing(path));
    std::string out;
    for (auto block = tavtest::read_block(in); !block.empty(); block = tavtest::read_block(in)) out += block;
    EXPECT_TRUE(tavtest::at_eof(in) && in.fail());
    return out;
}

// Everything read_raw_block() delivers; checks that no CR LF pair is split
// between two blocks and that each block's census is right.
std::string read_by_raw_block(const std::string& path, std::size_t buffer_size) {
    TextInFile in(buffer_size);
    EXPECT_TRUE(in.open_existing(path));
    std::string out;
    bool ended_with_cr = false;
    for (auto block = in.read_raw_block(); !block.text.empty(); block = in.read_raw_block()) {
        const std::string_view text = block.text;
        EXPECT_FALSE(ended_with_cr && text.front() == '\n') << "a CR LF pair was split";
        ended_with_cr = text.back() == '\r';
        // The census is what counting the block byte by byte gives.
        tav::textscan::Census counted;
        for (std::size_t i = 0; i < text.size(); ++i) {
            counted.lfs += text[i] == '\n';
            counted.pairs += text[i] == '\n' && i > 0 && text[i - 1] == '\r';
        }
        EXPECT_EQ(block.census, counted);
        out += text;
    }
    EXPECT_TRUE(tavtest::at_eof(in) && in.fail());
    return out;
}

struct TranslationCase {
    std::string disk;
    std::string delivered;
};

const std::vector<TranslationCase> kTranslationCases = {
    {"", ""},
    {"A\r\nB\rC\x1A" "D", "A\nB\rC"},
    {"\r", "\r"},
    {"\r\r\n", "\r\n"},
    {"\r\n\r\n", "\n\n"},
    {"\n\r", "\n\r"},
    {"a\r\x1A\n", "a\r"},
    {"\x1A" "abc", ""},
    {"\r\x1A", "\r"},
    {"x\0y\0"s, "x\0y\0"s},
    {"\r\r\r", "\r\r\r"},
    {"ab\r\ncd\r\n", "ab\ncd\n"},
    {"\n\n\r\n\r", "\n\n\n\r"},
    // A pair, and a lone CR, across the boundary of two 512-byte reads.
    {std::string(511, 'a') + "\r\nz", std::string(511, 'a') + "\nz"},
    {std::string(511, 'a') + "\rz", std::string(511, 'a') + "\rz"},
};

}  // namespace

TEST(TextInFile, TranslatesCrLfKeepsLoneCrAndStopsAtCtrlZ) {
    TempDir dir;
    const std::string path = dir / "in.txt";
    // Buffers of every small size put each byte of each case on a boundary.
    for (const auto& c : kTranslationCases) {
        write_file(path, c.disk);
        for (const std::size_t size : {1u, 2u, 3u, 4u, 5u, 512u}) {
            SCOPED_TRACE("buffer " + std::to_string(size) + ", input of " + std::to_string(c.disk.size()) + " bytes");
            EXPECT_EQ(read_by_char(path, size), c.delivered);
            EXPECT_EQ(read_by_block(path, size), c.delivered);
            // Raw blocks keep every byte before the first Ctrl-Z.
            EXPECT_EQ(read_by_raw_block(path, size), c.disk.substr(0, c.disk.find('\x1A')));
        }
    }
}

TEST(TextInFile, CharacterAndBlockReadsCanBeMixed) {
    TempDir dir;
    const std::string path = dir / "in.txt";
    write_file(path, "ab\r\ncd\r\nef\r");
    TextInFile in(3);
    ASSERT_TRUE(in.open_existing(path));
    char ch = 0;
    in.get(ch);
    EXPECT_EQ(ch, 'a');
    std::string rest;
    for (auto block = tavtest::read_block(in); !block.empty(); block = tavtest::read_block(in)) rest += block;
    EXPECT_EQ(rest, "b\ncd\nef\r");
}

TEST(TextInFile, CtrlZCanBeMadeOrdinaryData) {
    TempDir dir;
    const std::string path = dir / "in.txt";
    write_file(path, "a\x1A\r\nb\r\x1A\x1A\n");
    const std::string expected = "a\x1A\nb\r\x1A\x1A\n";
    for (const std::size_t size : {1u, 2u, 3u, 512u}) {
        SCOPED_TRACE("buffer " + std::to_string(size));
        EXPECT_EQ(read_by_char(path, size, false), expected);
        EXPECT_EQ(read_by_block(path, size, false), expected);
    }
}

TEST(TextInFile, OpenCreatesAMissingFileButOpenExistingDoesNot) {
    TempDir dir;
    TextInFile created;
    EXPECT_TRUE(created.open(dir / "new.txt"));
    EXPECT_EQ(read_file(dir / "new.txt"), "");
    char ch = 'x';
    created.get(ch);
    EXPECT_TRUE(tavtest::at_eof(created) && created.fail());

    TextInFile not_created;
    EXPECT_FALSE(not_created.open_existing(dir / "missing.txt"));
    EXPECT_TRUE(not_created.fail());
    EXPECT_FALSE(tavtest::exists(dir / "missing.txt"));
}

TEST(TextInFile, OpenInAMissingFolderFailsAndCreatesNothing) {
    TempDir dir;
    TextInFile in;
    EXPECT_FALSE(in.open(dir / "no/such.txt"));
    EXPECT_TRUE(in.fail());
    EXPECT_EQ(tavtest::count_entries(dir.path()), 0);
}

TEST(TextInFile, GetAfterTheEndOnlyAddsFail) {
    TempDir dir;
    write_file(dir / "in.txt", "a");
    TextInFile in;
    ASSERT_TRUE(in.open_existing(dir / "in.txt"));
    char ch = 0;
    EXPECT_FALSE(in.get(ch).fail());
    EXPECT_TRUE(tavtest::at_eof(in.get(ch)));
    EXPECT_TRUE(in.get(ch).fail());
    EXPECT_FALSE(in.bad());
    EXPECT_TRUE(in.close());
    EXPECT_TRUE(in.good());
}

TEST(TextOutFile, WritesLfAsCrLfAndEverythingElseUnchanged) {
    TempDir dir;
    const std::string text = "A\nB\r\x1A\0\n\n"s;
    const std::string disk = "A\r\nB\r\x1A\0\r\n\r\n"s;
    for (const std::size_t size : {2u, 3u, 4u, 512u}) {
        SCOPED_TRACE("buffer " + std::to_string(size));
        {
            TextOutFile out(size);
            ASSERT_TRUE(out.open(dir / "put.txt", WriteMode::Truncate));
            for (char ch : text) tavtest::put(out, ch);
            EXPECT_TRUE(out.close());
        }
        EXPECT_EQ(read_file(dir / "put.txt"), disk);
        {
            TextOutFile out(size);
            ASSERT_TRUE(out.open(dir / "write.txt", WriteMode::Truncate));
            out.write(text.substr(0, 3)).write(text.substr(3));
            EXPECT_TRUE(out.close());
        }
        EXPECT_EQ(read_file(dir / "write.txt"), disk);
    }
}

TEST(TextOutFile, WriteRawKeepsPairsAndExpandsOnlyBareLf) {
    TempDir dir;
    const std::string lane(70, 'w');  // long enough for the bulk loops
    std::string short_lines;  // pairs only, at every place in a chunk
    for (std::size_t i = 0; i < 20; ++i) short_lines += lane.substr(0, i) + "\r\n";
    struct Case {
        std::string raw, disk;
    };
    const std::vector<Case> cases = {
        {"a\nb", "a\r\nb"},
        {"a\r\nb", "a\r\nb"},
        {"\n", "\r\n"},
        {"\r", "\r"},
        {"\r\r\n\r", "\r\r\n\r"},
        {"\n\r\n\n\x1A\0"s, "\r\n\r\n\r\n\x1A\0"s},
        {lane + "\n" + lane + "\r\n" + lane + "\r" + lane + "\n\n",
         lane + "\r\n" + lane + "\r\n" + lane + "\r" + lane + "\r\n\r\n"},
        {std::string(300, '\n'), [] {
             std::string d;
             for (int i = 0; i < 300; ++i) d += "\r\n";
             return d;
         }()},
        {short_lines, short_lines},
    };
    for (const auto& c : cases) {
        for (const std::size_t size : {2u, 3u, 64u, 100u, 512u, 4096u}) {
            SCOPED_TRACE("buffer " + std::to_string(size) + ", " + std::to_string(c.raw.size()) + " bytes");
            TextOutFile out(size);
            ASSERT_TRUE(out.open(dir / "raw.txt", WriteMode::Truncate));
            // Cut in two where no pair is split: after the first byte that is not a CR.
            const std::size_t cut = c.raw.find_first_not_of('\r') + 1;
            out.write_raw(tav::RawBlock::of(c.raw.substr(0, std::min(cut, c.raw.size()))));
            if (cut < c.raw.size()) out.write_raw(tav::RawBlock::of(c.raw.substr(cut)));
            EXPECT_TRUE(out.close());
            EXPECT_EQ(read_file(dir / "raw.txt"), c.disk);
        }
    }
}

TEST(TextOutFile, LongRunsWithoutLineBreaksArriveWhole) {
    TempDir dir;
    std::string text(5000, 'q');
    text += "\n" + std::string(3000, 'r');
    TextOutFile out(512);
    ASSERT_TRUE(out.open(dir / "long.txt", WriteMode::Truncate));
    out.write("x");
    out.write(text);
    EXPECT_TRUE(out.close());
    EXPECT_EQ(read_file(dir / "long.txt"), "x" + std::string(5000, 'q') + "\r\n" + std::string(3000, 'r'));
}

TEST(TextOutFile, AtEndAppendsAndTruncateReplaces) {
    TempDir dir;
    write_file(dir / "a.txt", "xy");
    write_file(dir / "t.txt", "xy");
    TextOutFile append;
    ASSERT_TRUE(append.open(dir / "a.txt", WriteMode::AtEnd));
    tavtest::put(append, 'z');
    EXPECT_TRUE(append.close());
    TextOutFile truncate;
    ASSERT_TRUE(truncate.open(dir / "t.txt", WriteMode::Truncate));
    tavtest::put(truncate, 'z');
    EXPECT_TRUE(truncate.close());
    EXPECT_EQ(read_file(dir / "a.txt"), "xyz");
    EXPECT_EQ(read_file(dir / "t.txt"), "z");

    // A check sees the file actually opened before anything is cut; a file it
    // refuses stays whole and the stream fails.
    std::optional<tav::FileId> seen;
    TextOutFile refused;
    EXPECT_FALSE(refused.open(dir / "a.txt", WriteMode::Truncate, [&](const tav::FileId& id) {
        seen = id;
        return false;
    }));
    EXPECT_TRUE(refused.fail());
    EXPECT_EQ(seen, tav::identify(dir / "a.txt"));
    EXPECT_EQ(read_file(dir / "a.txt"), "xyz");
}

TEST(TextOutFile, OpenFailsWhereNothingCanBeCreated) {
    TempDir dir;
    write_file(dir / "file", "");
    for (const std::string& path : {dir / "no/such.txt", dir / "file/x.txt", dir.path()}) {
        TextOutFile out;
        EXPECT_FALSE(out.open(path, WriteMode::Truncate)) << path;
        EXPECT_TRUE(out.fail());
        tavtest::put(out, 'a');
        EXPECT_FALSE(out.close());
    }
}

