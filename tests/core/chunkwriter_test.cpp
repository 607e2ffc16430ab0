#include "chunkwriter.h"

#include "support/files.h"
#include "support/recordingsink.h"

#include <gtest/gtest.h>

using tavtest::Message;
using tavtest::read_file;
using tavtest::RecordingSink;
using tavtest::TempDir;

TEST(PiecePath, JoinsDestNumberAndExtension) {
#ifdef _WIN32
    EXPECT_EQ(tav::piece_path("C:\\out", 3), "C:\\out\\tavendrillox3.txt");
    // The backslash is added even after one that is already there.
    EXPECT_EQ(tav::piece_path("C:\\out\\", 12), "C:\\out\\\\tavendrillox12.txt");
    EXPECT_EQ(tav::piece_path("rel dir", 1), "rel dir\\tavendrillox1.txt");
    EXPECT_EQ(tav::piece_path("", -2147483647 - 1), "\\tavendrillox-2147483648.txt");
#else
    EXPECT_EQ(tav::piece_path("/out", 3), "/out/tavendrillox3.txt");
    EXPECT_EQ(tav::piece_path("/out/", 12), "/out//tavendrillox12.txt");
    EXPECT_EQ(tav::piece_path("rel dir", 1), "rel dir/tavendrillox1.txt");
    EXPECT_EQ(tav::piece_path("", -2147483647 - 1), "/tavendrillox-2147483648.txt");
#endif
}

TEST(ChunkWriter, WritesTranslatedPiecesAndReplacesOldContent) {
    TempDir dir;
    tavtest::write_file(dir / "tavendrillox1.txt", "old content that is longer");
    RecordingSink sink;
    tav::ChunkWriter writer(dir.path(), std::nullopt, sink);
    writer.begin(1);
    writer.write("a\nb");
    writer.write("\n");
    writer.finish();
    writer.begin(2);
    writer.finish();
    EXPECT_EQ(read_file(dir / "tavendrillox1.txt"), "a\r\nb\r\n");
    EXPECT_EQ(read_file(dir / "tavendrillox2.txt"), "");
    EXPECT_EQ(sink.messages, (std::vector<Message>{{dir / "tavendrillox1.txt", "Outfile"},
                                                  {dir / "tavendrillox2.txt", "Outfile"}}));
}

TEST(ChunkWriter, ADroppedPieceIsReportedOnceAndSwallowsItsText) {
    TempDir dir;
    RecordingSink sink;
    tav::ChunkWriter writer(dir / "missing", std::nullopt, sink);
    writer.begin(1);
    writer.write("lost");
    writer.finish();
    EXPECT_EQ(sink.messages, (std::vector<Message>{{dir / "missing" + tav::kPathSeparator + "tavendrillox1.txt", "Outfile"},
                                                  {"Could not write to log file", "Error Log"}}));
    EXPECT_FALSE(tavtest::exists(dir / "missing"));
}
