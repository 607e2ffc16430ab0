#include "piecewriter.h"

#include "tav/messagesink.h"
#include "tav/stoprequest.h"

#include <utility>

namespace tav {

namespace {

constexpr const char* kWriteError = "Could not write to log file";
constexpr const char* kWriteErrorCaption = "Error Log";

}  // namespace

std::string piece_path(const std::string& dest, std::int32_t number) {
    std::string path = dest;
    path += kPathSeparator;
    path += "tavendrillox";
    path += std::to_string(number);
    path += ".txt";
    return path;
}

PieceWriter::PieceWriter(std::string dest, std::optional<FileId> source, MessageSink& sink,
                         std::size_t buffer_size, const StopRequest* stop)
    : dest_(std::move(dest)), source_(source), sink_(sink), stop_(stop), piece_(buffer_size) {
    piece_.stop_on(stop);
}

PieceWriter::~PieceWriter() = default;

// Cutting the source would lose it before it is read, and cutting an earlier
// piece would lose that piece. An earlier piece that is no longer there under
// its own name was deleted (or moved away) since, and a file system may hand
// its number to a new file at once: that is not the same file.
bool PieceWriter::may_write(const FileId& id) const {
    if (id == *source_) return false;
    const auto earlier = written_.find(id);
    return earlier == written_.end() || identify(piece_path(dest_, earlier->second)) != id;
}

void PieceWriter::begin(std::int32_t number) {
    writing_ = false;
    const std::string path = piece_path(dest_, number);
    sink_.show(path, "Outfile");
    // Nothing has been read for this piece: an old one of that name stays.
    if (stop_requested(stop_)) return;
    if (!source_) {
        // Not even opened: that alone could create a file.
        sink_.show(kWriteError, kWriteErrorCaption);
        return;
    }
    // The check looks at the file actually opened, so a name that is changed
    // into a link between a look and the open cannot slip past it.
    FileId opened;
    writing_ = piece_.open(path, WriteMode::Truncate, [&](const FileId& id) {
        opened = id;
        return may_write(id);
    });
    if (writing_) {
        written_.insert_or_assign(opened, number);
    } else {
        // No room for even a new name is no room for any later piece either,
        // and a destination that may not be reached is so for all of them.
        const Failure why = piece_.failure();
        if (why == Failure::NoSpace || why == Failure::FolderRefused) later_pieces_fail_ = true;
        sink_.show(kWriteError, kWriteErrorCaption);
    }
}

void PieceWriter::write_raw(const RawBlock& block) {
    if (!writing_) return;
    piece_.write_raw(block);
    if (piece_.bad()) note_failure();
}

void PieceWriter::finish() {
    if (!writing_) return;
    writing_ = false;
    if (!piece_.close()) {
        note_failure();
        if (piece_.failure() != Failure::Stopped) sink_.show(kWriteError, kWriteErrorCaption);
    }
}

// A device such as /dev/full may say it is full; that is the one piece's.
void PieceWriter::note_failure() {
    if (piece_.failure() == Failure::NoSpace && piece_.is_regular()) later_pieces_fail_ = true;
}

}  // namespace tav
