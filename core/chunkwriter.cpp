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

void ChunkWriter::begin(std::int32_t number) {
    const std::string path = piece_path(dest_, number);
    sink_.show(path, "Outfile");
    // Opening the source for writing would truncate it before it is read.
    if (source_ && identify(path) == source_) {
        sink_.show(kWriteError, kWriteErrorCaption);
        return;
    }
    writing_ = piece_.open(path, WriteMode::Truncate);
    if (!writing_) sink_.show(kWriteError, kWriteErrorCaption);
}

void ChunkWriter::write(std::string_view text) {
    if (writing_) piece_.write(text);
}

void ChunkWriter::write_raw(std::string_view text) {
    if (writing_) piece_.write_raw(text);
}

void ChunkWriter::finish() {
    if (!writing_) return;
    writing_ = false;
    if (!piece_.close()) sink_.show(kWriteError, kWriteErrorCaption);
}

}  // namespace tav
