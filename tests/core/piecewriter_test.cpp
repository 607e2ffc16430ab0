#include "piecewriter.h"

#include "support/files.h"
#include "support/recordingsink.h"

#include <gtest/gtest.h>

using namespace tavtest;

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

TEST(PieceWriter, WritesTranslatedPiecesAndReplacesOldContent) {
    TempDir dir;
    tavtest::write_file(dir / "tavendrillox1.txt", "old content that is longer");
    tavtest::write_file(dir / "source.txt", "");
    RecordingSink sink;
    tav::PieceWriter writer(dir.path(), tav::identify(dir / "source.txt"), sink, 512);
    writer.begin(1);
    writer.write_raw(tav::RawBlock::of("a\nb"));
    writer.write_raw(tav::RawBlock::of("\r\n"));
    writer.finish();
    writer.begin(2);
    writer.finish();
    EXPECT_EQ(read_file(dir / "tavendrillox1.txt"), "a\r\nb\r\n");
    EXPECT_EQ(read_file(dir / "tavendrillox2.txt"), "");
    EXPECT_EQ(sink.messages, (std::vector<Message>{{dir / "tavendrillox1.txt", "Outfile"},
                                                  {dir / "tavendrillox2.txt", "Outfile"}}));
}

TEST(PieceWriter, ADroppedPieceIsReportedOnceAndSwallowsItsText) {
    TempDir dir;
    tavtest::write_file(dir / "source.txt", "");
    const auto source = tav::identify(dir / "source.txt");
    struct Case {
        std::string dest;
        std::optional<tav::FileId> source;
    };
    // A folder that is not there; a source whose identity is unknown, so that
    // no piece could be told apart from it.
    for (const Case& c : {Case{dir / "missing", source}, Case{dir.path(), std::nullopt}}) {
        RecordingSink sink;
        tav::PieceWriter writer(c.dest, c.source, sink, 512);
        writer.begin(1);
        writer.write_raw(tav::RawBlock::of("lost"));
        writer.finish();
        EXPECT_EQ(sink.messages, (std::vector<Message>{{tav::piece_path(c.dest, 1), "Outfile"},
                                                      {"Could not write to log file", "Error Log"}}));
    }
    EXPECT_FALSE(tavtest::exists(dir / "missing"));
    EXPECT_EQ(tavtest::count_entries(dir.path()), 1);
}
