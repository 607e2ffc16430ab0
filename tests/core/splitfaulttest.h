// The fixture of the split fault tests: a source of two lines and an empty
// destination folder, and the messages a run gives when pieces are lost.
#pragma once

#include "piecewriter.h"
#include "support/files.h"
#include "support/recordingsink.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tavtest {

inline Message outfile(const std::string& dest, int n) { return {tav::piece_path(dest, n), "Outfile"}; }

// "a\n", "b\n", ... : `count` one-letter lines.
inline std::string letter_lines(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += std::string(1, static_cast<char>('a' + i % 26)) + "\n";
    return s;
}

class SplitFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(dest);
        write_file(source, letter_lines(2));
    }

    // The messages of a run of `source` into `dest` with LINES 1 that ends
    // after piece 1 is written: the "Get out" notice, then per piece its
    // "Outfile" notice, with the write error for each piece from `first_lost` on.
    std::vector<Message> expected_when_lost_from(int first_lost, int pieces) const {
        std::vector<Message> m{{"0 1", "Get out"}};
        for (int n = 1; n <= pieces; ++n) {
            m.push_back(outfile(dest, n));
            if (n >= first_lost) m.push_back(kWriteError);
        }
        return m;
    }

    TempDir dir;
    const std::string source = dir / "source.txt";
    const std::string dest = dir / "out";
};

}  // namespace tavtest
