// The split's bulk path against a character-at-a-time reference on random
// bytes heavy in CR, LF, Ctrl-Z and NUL, with random limits and buffer sizes:
// the pieces must match byte for byte and the messages one for one. It runs
// once on every code path (textscan.h) that the processor has.
// TAV_DIFF_ITERATIONS=N runs N random cases instead of the default 150
// (bench/run.sh uses it for a long run).
#include "tav/split.h"

#include "chunkwriter.h"
#include "decimal.h"
#include "tav/splitsettings.h"
#include "support/files.h"
#include "support/recordingsink.h"
#include "textfile.h"
#include "textscan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using tavtest::Message;
using tavtest::RecordingSink;

namespace {

struct Outcome {
    std::vector<std::string> pieces;
    std::vector<Message> messages;
};

// The cut rule one character at a time: append, count LFs, cut when a limit
// is reached; whatever is left is the final piece, even when empty.
std::vector<Message> reference_split(const tav::SplitSettings& s) {
    const std::int32_t line_limit = s.lines.empty() ? 0 : tav::decimal_value(s.lines);
    const std::int32_t byte_limit = s.kb.empty() ? 0 : tav::kilobytes_to_bytes(tav::decimal_value(s.kb));
    std::vector<Message> messages{{std::to_string(byte_limit) + " " + std::to_string(line_limit), "Get out"}};
    tav::TextInFile in(512);
    EXPECT_TRUE(in.open_existing(s.source));
    int number = 1;
    auto start_piece = [&](tav::TextOutFile& out) {
        const std::string path = tav::piece_path(s.dest, number);
        messages.push_back({path, "Outfile"});
        EXPECT_TRUE(out.open(path, tav::WriteMode::Truncate));
    };
    auto out = std::make_unique<tav::TextOutFile>(512);
    start_piece(*out);
    std::int32_t lines = 0, chars = 0;
    char ch;
    while (!in.get(ch).fail() && !in.bad()) {
        out->put(ch);
        ++chars;
        if (ch == '\n') ++lines;
        if ((line_limit > 0 && lines >= line_limit) || (byte_limit > 0 && chars >= byte_limit)) {
            EXPECT_TRUE(out->close());
            ++number;
            out = std::make_unique<tav::TextOutFile>(512);
            start_piece(*out);
            lines = chars = 0;
        }
    }
    EXPECT_TRUE(out->close());
    return messages;
}

std::vector<std::string> take_pieces(const std::string& dest) {
    std::vector<std::string> pieces;
    for (int n = 1;; ++n) {
        const std::string path = tav::piece_path(dest, n);
        auto content = tavtest::read_file(path);
        if (!content) break;
        pieces.push_back(*content);
        std::filesystem::remove(path);
    }
    return pieces;
}

// Random bytes in which the characters that matter to the translation and the
// cut rule are frequent; how frequent varies from case to case.
std::string random_source(std::mt19937_64& rng, std::size_t max_size) {
    const double special = std::uniform_real_distribution<double>(0.005, 0.6)(rng);
    const bool with_ctrl_z = rng() % 4 == 0;
    const std::size_t size = std::uniform_int_distribution<std::size_t>(0, max_size)(rng);
    std::string text(size, 'x');
    std::uniform_real_distribution<double> unit(0, 1);
    for (char& c : text) {
        if (unit(rng) < special) {
            static constexpr char kSpecial[] = {'\r', '\n', '\r', '\n', '\0'};
            c = kSpecial[rng() % sizeof kSpecial];
        } else {
            c = static_cast<char>('a' + rng() % 26);
        }
    }
    if (with_ctrl_z && size > 0) text[rng() % size] = 0x1A;
    return text;
}

// LINES or KB, small enough for a handful of cuts, now and then no limit at all.
void random_limit(std::mt19937_64& rng, const std::string& source, tav::SplitSettings& s) {
    s.lines.clear();
    s.kb.clear();
    switch (rng() % 8) {
        case 0: s.lines = rng() % 2 ? "0" : "-2"; return;
        case 1:
        case 2: s.kb = std::to_string(1 + rng() % 3); return;
        default: {
            const auto lfs = std::count(source.begin(), source.end(), '\n');
            s.lines = std::to_string(1 + lfs / 10 + static_cast<long>(rng() % 20));
        }
    }
}

std::size_t random_buffer(std::mt19937_64& rng) {
    // Tiny buffers stress the block boundaries, large ones the bulk loops.
    return rng() % 2 ? 1 + rng() % 40 : 64 + rng() % 8192;
}

int iterations() {
    const char* text = std::getenv("TAV_DIFF_ITERATIONS");
    return text != nullptr ? std::atoi(text) : 150;
}

}  // namespace

// Runs the bulk path on the code path the test is for.
class SplitDifferential : public testing::TestWithParam<tav::textscan::Path> {
protected:
    void SetUp() override { ASSERT_TRUE(tav::textscan::use_path(GetParam())); }
    void TearDown() override { tav::textscan::use_path(before_); }

private:
    tav::textscan::Path before_ = tav::textscan::active_path();
};

INSTANTIATE_TEST_SUITE_P(Paths, SplitDifferential, testing::ValuesIn(tav::textscan::available_paths()),
                         [](const auto& path) { return std::string(tav::textscan::path_name(path.param)); });

TEST_P(SplitDifferential, BulkPathMatchesCharacterPathOnRandomInput) {
    tavtest::TempDir dir;
    tav::SplitSettings s{dir / "source.txt", dir / "out", "", ""};
    std::filesystem::create_directory(s.dest);
    std::mt19937_64 rng(20260412);  // fixed start value: failures are reproducible
    const int cases = iterations();
    for (int i = 0; i < cases; ++i) {
        const std::size_t buffer = random_buffer(rng);
        // Tiny buffers mean a system call every few bytes: keep those sources short.
        const std::string source = random_source(rng, buffer < 64 ? 1500 : 6000);
        tavtest::write_file(s.source, source);
        random_limit(rng, source, s);

        Outcome expected;
        expected.messages = reference_split(s);
        expected.pieces = take_pieces(s.dest);

        RecordingSink sink;
        tav::SplitRun(buffer).run(s, sink);
        Outcome actual{take_pieces(s.dest), sink.messages};

        ASSERT_EQ(actual.messages, expected.messages) << "case " << i << ", buffer " << buffer;
        ASSERT_EQ(actual.pieces, expected.pieces) << "case " << i << ", buffer " << buffer << ", lines '"
                                                  << s.lines << "', kb '" << s.kb << "'";
    }
}
