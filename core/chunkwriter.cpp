#include "chunkwriter.h"

#include "tav/messagesink.h"

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

ChunkWriter::ChunkWriter(std::string dest, std::optional<FileId> source, MessageSink& sink,
                         std::size_t buffer_size)
    : dest_(std::move(dest)), source_(source), sink_(sink), piece_(buffer_size) {}

ChunkWriter::~ChunkWriter() = default;

// Cutting the source would lose it before it is read, and cutting an earlier
// piece would lose that piece.
bool ChunkWriter::may_write(const FileId& id) const { return id != *source_ && !written_.contains(id); }

void ChunkWriter::begin(std::int32_t number) {
    writing_ = false;
    const std::string path = piece_path(dest_, number);
    sink_.show(path, "Outfile");
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
    if (writing_)
        written_.insert(opened);
    else
        sink_.show(kWriteError, kWriteErrorCaption);
}

void ChunkWriter::write_raw(const RawBlock& block) {
    if (writing_) piece_.write_raw(block);
}

void ChunkWriter::finish() {
    if (!writing_) return;
    writing_ = false;
    if (!piece_.close()) sink_.show(kWriteError, kWriteErrorCaption);
}

}  // namespace tav
