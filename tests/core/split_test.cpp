#include "tav/split.h"

#include "splitruntest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace std::string_literals;
using tav::SplitSettings;
using namespace tavtest;



TEST_F(SplitRunTest, ChecksRunInOrderAndOnlyTheFirstFailureIsShown) {
    struct Case {
        SplitSettings settings;
        std::string message;
    };
    const std::string msg_source = "Please enter a source file";
    const std::string msg_dest = "Please enter a destination file";
    const std::string msg_limit = "Please enter or select a number of lines or file size in KB";
    const std::vector<Case> cases = {
        {{"", "", "", ""}, msg_source},
        {{"", "d", "1", ""}, msg_source},
        {{"s", "", "", ""}, msg_dest},
        {{"s", "", "1", ""}, msg_dest},
        {{"s", "d", "", ""}, msg_limit},
        {{"s", "d", "1", "1"}, msg_limit},
        {{"s", "d", " ", " "}, msg_limit},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.settings), (std::vector<Message>{{c.message, "Error"}}));
    }
    EXPECT_EQ(tavtest::count_entries(dest()), 0);
}

TEST_F(SplitRunTest, NoticeShowsByteLimitThenLineLimit) {
    struct Case {
        std::string lines, kb, notice;
    };
    const std::vector<Case> cases = {
        {"", "1024", "1048576 0"},   {"100", "", "0 100"},         {"abc", "", "0 0"},
        {"-3", "", "0 -3"},          {"   ", "", "0 0"},            {"", "5x", "5120 0"},
        {"", "4194304", "0 0"},      {"", "2097152", "-2147483648 0"}, {"", "4194305", "1024 0"},
    };
    for (const auto& c : cases) {
        const auto messages = split("x", c.lines, c.kb);
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.front(), (Message{c.notice, "Get out"})) << c.lines << "/" << c.kb;
    }
}

TEST_F(SplitRunTest, CutsAfterEachLineAndAlwaysWritesAFinalPiece) {
    const auto messages = split("one\r\ntwo\r\nthree\r\n", "1", "");
    EXPECT_EQ(pieces(), (std::vector<std::string>{"one\r\n", "two\r\n", "three\r\n", ""}));
    EXPECT_EQ(messages,
              (std::vector<Message>{{"0 1", "Get out"}, outfile(1), outfile(2), outfile(3), outfile(4)}));
}

TEST_F(SplitRunTest, LineCutsCountLfOnlyAndWriteCrLf) {
    split("a\r\nb", "1", "");
    EXPECT_EQ(pieces(), (std::vector<std::string>{"a\r\n", "b"}));
    split("1\n2\n3\n4\n5", "2", "");
    EXPECT_EQ(pieces(), (std::vector<std::string>{"1\r\n2\r\n", "3\r\n4\r\n", "5"}));
    // A lone CR is a character but not a line break.
    split("a\rb\nc\rd\n", "1", "");
    EXPECT_EQ(pieces(), (std::vector<std::string>{"a\rb\r\n", "c\rd\r\n", ""}));
}

TEST_F(SplitRunTest, SizeCutsFallAfterExactlyTheLimitInCharacters) {
    split(std::string(3000, 'x'), "", "1");
    EXPECT_EQ(pieces(), (std::vector<std::string>{std::string(1024, 'x'), std::string(1024, 'x'),
                                                  std::string(952, 'x')}));
    split(std::string(1024, 'y'), "", "1");
    EXPECT_EQ(pieces(), (std::vector<std::string>{std::string(1024, 'y'), ""}));
}

TEST_F(SplitRunTest, SizeCutsCountEachCrLfAsOneCharacter) {
    std::string source;
    for (int i = 0; i < 600; ++i) source += "abc\r\n";
    auto lines = [](int count) {
        std::string s;
        for (int i = 0; i < count; ++i) s += "abc\r\n";
        return s;
    };
    for (const std::size_t buffer : {512u, 4096u, 128u * 1024u}) {
        split(source, "", "1", buffer);
        const auto got = pieces();
        EXPECT_EQ(got, (std::vector<std::string>{lines(256), lines(256), lines(88)}));
        ASSERT_EQ(got.size(), 3u);
        EXPECT_EQ(got[0].size(), 1280u);
    }
}

TEST_F(SplitRunTest, ASizeCutSplitsALineBetweenPieces) {
    // 1023 characters, then a line break that becomes the 1024th.
    split(std::string(1023, 'a') + "\r\nb\nc", "", "1");
    EXPECT_EQ(pieces(), (std::vector<std::string>{std::string(1023, 'a') + "\r\n", "b\r\nc"}));
    split(std::string(1022, 'a') + "\nbc", "", "1");
    EXPECT_EQ(pieces(), (std::vector<std::string>{std::string(1022, 'a') + "\r\nb", "c"}));
}

TEST_F(SplitRunTest, AnEmptySourceGivesOneEmptyPiece) {
    const auto messages = split("", "10", "");
    EXPECT_EQ(pieces(), (std::vector<std::string>{""}));
    EXPECT_EQ(messages, (std::vector<Message>{{"0 10", "Get out"}, outfile(1)}));
}

TEST_F(SplitRunTest, NoEffectiveLimitPutsEverythingInOnePiece) {
    for (const char* lines : {"abc", "0", "-3"}) {
        split("a\nb\nc\n", lines, "");
        EXPECT_EQ(pieces(), (std::vector<std::string>{"a\r\nb\r\nc\r\n"})) << lines;
    }
}

TEST_F(SplitRunTest, CtrlZEndsTheSourceAndNulIsKept) {
    split("a\0b\nc\x1A" "d\ne\n"s, "1", "");
    EXPECT_EQ(pieces(), (std::vector<std::string>{"a\0b\r\n"s, "c"}));
}

TEST_F(SplitRunTest, NumberingRestartsAtOneInEveryRun) {
    split("a\nb\n", "1", "");
    write_file(source(), "c\n");
    const auto messages = run({source(), dest(), "", "1"});
    EXPECT_EQ(messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(1), outfile(2)}));
}

TEST_F(SplitRunTest, ARepeatedRunReplacesPiecesInsteadOfAppending) {
    write_file(piece(5), "older, longer run");
    write_file(source(), "a\nb\n");
    run({source(), dest(), "", "1"});
    run({source(), dest(), "", "1"});
    EXPECT_EQ(read_file(piece(1)), "a\r\n");
    EXPECT_EQ(read_file(piece(2)), "b\r\n");
    EXPECT_EQ(read_file(piece(3)), "");
    EXPECT_EQ(read_file(piece(5)), "older, longer run");
}

TEST_F(SplitRunTest, NeverWritesOverTheSourceHoweverItsPathIsSpelt) {
    // The source is piece 2 of the destination, named through a detour.
    const std::string content = "1\n2\n3\n";
    write_file(piece(2), content);
    RecordingSink sink;
    tav::SplitRun(512).run({dest() + "/../out/./tavendrillox2.txt", dest(), "", "1"}, sink);
    EXPECT_EQ(read_file(piece(2)), content);
    EXPECT_EQ(read_file(piece(1)), "1\r\n");
    EXPECT_EQ(read_file(piece(3)), "3\r\n");
    EXPECT_EQ(read_file(piece(4)), "");
    EXPECT_EQ(sink.messages, (std::vector<Message>{{"0 1", "Get out"}, outfile(1), outfile(2), kWriteError,
                                                  outfile(3), outfile(4)}));
}

TEST_F(SplitRunTest, AMissingSourceIsReportedAndNothingIsCreated) {
    for (const std::string& missing : {dir / "missing.txt", dir / "no/such/file.txt"}) {
        const auto messages = run({missing, dest(), "", "1"});
        EXPECT_EQ(messages, (std::vector<Message>{{"0 1", "Get out"}, {"Could not open source file", "Error"}}));
        EXPECT_FALSE(tavtest::exists(missing));
    }
    EXPECT_EQ(tavtest::count_entries(dest()), 0);
}

// Neither a folder (which Linux opens for reading, though no read of it
// succeeds) nor a file whose first read fails costs last time's piece 1.
TEST_F(SplitRunTest, ASourceThatCannotBeReadIsReportedAndLeavesTheOldPiecesAlone) {
    struct Case {
        std::string source;
        Message error;
    };
    std::vector<Case> cases = {{dir.path(), {"Could not open source file", "Error"}}};
#ifndef _WIN32
    cases.push_back({"/proc/self/mem", {"Could not read source file", "Error"}});
#endif
    for (const Case& c : cases) {
        write_file(piece(1), "last week's piece\r\n");
        EXPECT_EQ(run({c.source, dest(), "", "1"}), (std::vector<Message>{{"0 1", "Get out"}, c.error})) << c.source;
        EXPECT_EQ(pieces(), (std::vector<std::string>{"last week's piece\r\n"})) << c.source;
    }
}

TEST_F(SplitRunTest, ADestinationThatIsNoFolderFailsEveryPiece) {
    write_file(source(), "a\nb\n");
    write_file(dir / "file", "");
    const std::string bad_dest = dir / "file";
    const auto messages = run({source(), bad_dest, "", "1"});
    const auto piece_in = [&](int n) { return Message{bad_dest + tav::kPathSeparator + "tavendrillox" + std::to_string(n) + ".txt", "Outfile"}; };
    EXPECT_EQ(messages, (std::vector<Message>{{"0 1", "Get out"}, piece_in(1), kWriteError, piece_in(2), kWriteError,
                                              piece_in(3), kWriteError}));
    EXPECT_EQ(read_file(bad_dest), "");
}

