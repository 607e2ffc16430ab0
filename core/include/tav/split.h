// One press of Go: checks the settings, then cuts the source into numbered
// pieces in the destination folder, streaming each piece to disk as it is read.
#pragma once

#include "tav/blocksize.h"

#include <cstddef>
#include <cstdint>

namespace tav {

class MessageSink;
class StopRequest;
struct SplitSettings;

class SplitRun {
public:
    // buffer_size: bytes per read from the source and per write to a piece.
    explicit SplitRun(std::size_t buffer_size = kBlockSize)
        : buffer_size_(buffer_size) {}

    // Once `stop` is requested, the run ends at its next block: what it has
    // read goes to the current piece, which is closed, and no further piece
    // is started and no further notice shown.
    SplitRun& stop_on(const StopRequest& stop) {
        stop_ = &stop;
        return *this;
    }

    // How the source is read: by the run's own thread, block by block as it
    // needs them, or ahead of it by a second thread while the run writes the
    // pieces. Every way gives the same pieces and messages.
    enum class Reading {
        Auto,   // ahead where that pays (see split.cpp), by the run once it stops paying
        InRun,  // by the run
        Ahead,  // ahead, to the end
        // Ahead, handing back to the run after the third block (once the
        // blocks read by then are used): what Auto does when reading ahead
        // stops paying, at a moment the tests know.
        AheadThenInRun,
    };
    SplitRun& reading(Reading how) {
        reading_ = how;
        return *this;
    }

    // Performs one complete run; everything the user learns goes to sink.
    void run(const SplitSettings& settings, MessageSink& sink) const;

private:
    bool stopped() const;

    std::size_t buffer_size_;
    const StopRequest* stop_ = nullptr;
    Reading reading_ = Reading::Auto;
};

}  // namespace tav
