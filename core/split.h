// One press of Go: checks the settings, then cuts the source into numbered
// pieces in the destination folder, streaming each piece to disk as it is read.
#pragma once

#include "textfile.h"

#include <cstddef>
#include <cstdint>

namespace tav {

class MessageSink;
struct SplitSettings;

class SplitRun {
public:
    // buffer_size: bytes per read from the source and per write to a piece.
    explicit SplitRun(std::size_t buffer_size = TextInFile::kDefaultBufferSize)
        : buffer_size_(buffer_size) {}

    // Performs one complete run; everything the user learns goes to sink.
    void run(const SplitSettings& settings, MessageSink& sink) const;

private:
    std::size_t buffer_size_;
};

}  // namespace tav
