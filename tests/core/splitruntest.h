// The split run's test fixture: a source and a destination folder in a fresh
// temporary folder, a run's messages, and the pieces it left.
#pragma once

#include "piecewriter.h"
#include "support/files.h"
#include "support/recordingsink.h"
#include "tav/split.h"
#include "tav/splitsettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tavtest {

class SplitRunTest : public ::testing::Test {
protected:
    std::string source() const { return dir / "source.txt"; }
    std::string dest() const { return dir / "out"; }
    std::string piece(int n) const { return tav::piece_path(dest(), n); }
    Message outfile(int n) const { return {piece(n), "Outfile"}; }

    void SetUp() override { std::filesystem::create_directory(dest()); }

    // Splits `content` by LINES or KB (the other left empty) into an empty DEST.
    std::vector<Message> split(const std::string& content, const std::string& lines, const std::string& kb,
                               std::size_t buffer = 512) {
        std::filesystem::remove_all(dest());
        std::filesystem::create_directory(dest());
        write_file(source(), content);
        return run({source(), dest(), kb, lines}, buffer);
    }

    std::vector<Message> run(const tav::SplitSettings& settings, std::size_t buffer = 512) {
        RecordingSink sink;
        tav::SplitRun(buffer).run(settings, sink);
        return sink.messages;
    }

    std::vector<std::string> pieces() const {
        std::vector<std::string> out;
        for (int n = 1; auto content = read_file(piece(n)); ++n) out.push_back(*content);
        return out;
    }

    TempDir dir;
};

}  // namespace tavtest
