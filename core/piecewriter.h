// Writes the numbered pieces of a split, one at a time, straight to disk.
#pragma once

#include "rawfile.h"
#include "textfile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tav {

class MessageSink;
class StopRequest;

// DEST, the separator, "tavendrillox", the number and ".txt". The separator is
// always added, even when dest already ends with one.
std::string piece_path(const std::string& dest, std::int32_t number);

class PieceWriter {
public:
    // source: identity of the file being split, which is never written to.
    // Without it no piece can be told apart from the source, so none is written.
    // Once `stop` (if any) is requested, no piece is opened, created or cut,
    // and a write that waits gives up.
    PieceWriter(std::string dest, std::optional<FileId> source, MessageSink& sink, std::size_t buffer_size,
                const StopRequest* stop = nullptr);
    ~PieceWriter();
    PieceWriter(const PieceWriter&) = delete;
    PieceWriter& operator=(const PieceWriter&) = delete;

    // Starts piece `number`: shows its path, then, unless a stop was
    // requested meanwhile, opens it and cuts it to zero length. A piece whose
    // name leads to the source or to a piece written earlier in this run that
    // is still there (through a link, say), or that cannot be opened, is
    // reported and dropped whole; nothing is cut.
    void begin(std::int32_t number);
    // Appends raw text, as TextInFile::read_raw_block() gives it, to the
    // current piece (nothing once it was dropped or a write to it failed).
    void write_raw(const RawBlock& block);
    // Ends the current piece; a piece that could not be written whole is
    // reported once (one given up at a stop request is not a failure).
    void finish();
    // True once a piece failed in a way every later piece would share: for
    // want of room (a full disk, a quota, the file size limit), or in a
    // destination reached through a link that may not be followed.
    bool later_pieces_fail() const { return later_pieces_fail_; }

private:
    struct IdHash {
        std::size_t operator()(const FileId& id) const noexcept {
            return std::hash<std::uint64_t>()(id.index * 0x9E3779B97F4A7C15u ^ id.device);
        }
    };

    bool may_write(const FileId& id) const;
    // Notes a failure of the current piece that every later one would share.
    void note_failure();

    std::string dest_;
    std::optional<FileId> source_;
    MessageSink& sink_;
    const StopRequest* stop_;
    // One stream for every piece, so that its buffer is allocated once.
    TextOutFile piece_;
    bool writing_ = false;  // piece_ is open on the current piece
    bool later_pieces_fail_ = false;
    // Every file written in this run, with the number of the piece it was;
    // one entry per piece.
    std::unordered_map<FileId, std::int32_t, IdHash> written_;
};

}  // namespace tav
