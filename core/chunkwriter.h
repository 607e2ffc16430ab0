// Writes the numbered pieces of a split, one at a time, straight to disk.
#pragma once

#include "rawfile.h"
#include "textfile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

class MessageSink;

// DEST, the separator, "tavendrillox", the number and ".txt". The separator is
// always added, even when dest already ends with one.
std::string piece_path(const std::string& dest, std::int32_t number);

class ChunkWriter {
public:
    // source: identity of the file being split, which is never written to.
    ChunkWriter(std::string dest, std::optional<FileId> source, MessageSink& sink,
                std::size_t buffer_size = TextOutFile::kDefaultBufferSize);
    ~ChunkWriter();
    ChunkWriter(const ChunkWriter&) = delete;
    ChunkWriter& operator=(const ChunkWriter&) = delete;

    // Starts piece `number`: shows its path, then creates it empty. If it is the
    // source itself or cannot be opened, says so and drops the whole piece.
    void begin(std::int32_t number);
    // Appends characters to the current piece (nothing if it was dropped).
    void write(std::string_view text);
    // The same for raw text, as TextInFile::read_raw_block() gives it.
    void write_raw(std::string_view text);
    // Ends the current piece; a piece that could not be written whole is reported once.
    void finish();

private:
    std::string dest_;
    std::optional<FileId> source_;
    MessageSink& sink_;
    // One stream for every piece, so that its buffer is allocated once.
    TextOutFile piece_;
    bool writing_ = false;  // piece_ is open on the current piece
};

}  // namespace tav
