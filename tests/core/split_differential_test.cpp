// The split's bulk path against the character-at-a-time model on random
// bytes heavy in CR, LF, Ctrl-Z and NUL, with random limits and buffer sizes:
// the pieces must match byte for byte and the messages one for one. It runs
// once on every code path (textscan.h) that the processor has, each case
// read in the run and read ahead.
// TAV_DIFF_ITERATIONS=N runs N random cases instead of the default 150
// (bench/run.sh uses it for a long run).
#include "tav/split.h"

#include "piecewriter.h"
#include "tav/splitsettings.h"
#include "support/feeds.h"
#include "support/files.h"
#include "support/recordingsink.h"
#include "support/textmodel.h"
#include "textscan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace tavtest;

namespace {

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

        const tavtest::SplitOutcome expected = tavtest::split_model(s, source);
        for (const auto feed : tavtest::kFeeds) {
            RecordingSink sink;
            tav::SplitRun(buffer).reading(feed).run(s, sink);
            ASSERT_EQ(sink.messages, expected.messages)
                << "case " << i << ", " << tavtest::feed_name(feed) << ", buffer " << buffer;
            ASSERT_EQ(take_pieces(s.dest), expected.pieces) << "case " << i << ", " << tavtest::feed_name(feed)
                                                            << ", buffer " << buffer << ", lines '" << s.lines
                                                            << "', kb '" << s.kb << "'";
        }
    }
}
