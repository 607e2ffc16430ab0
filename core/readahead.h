// Reading ahead: a second thread reads the source into a small ring of
// blocks, putting each into its on-disk form on the way, while the run's own
// thread cuts them and writes the pieces. The reads and the writes overlap,
// and each thread's share of the copying runs on a processor of its own.
#pragma once

#include "tav/stoprequest.h"
#include "textfile.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tav {

// When the reader stops reading ahead and hands the source back to its
// caller, before the end of the input.
struct HandBack {
    // Once the two threads no longer run at the same time enough to pay for
    // handing the blocks over: when another program keeps a processor busy.
    bool when_it_does_not_pay = false;
    // After this many blocks (0: never by count), for the tests.
    std::size_t after_blocks = 0;
};

// Reads `source` a few blocks ahead of the caller, on a thread of its own.
// Each block is raw text (textscan.h) in which every line break is CR LF:
// the characters read_raw_block() would give, in the bytes a piece gets, so
// that writing it expands nothing.
class ReadAhead {
public:
    // Starts the reader, which reads from the start of the input; each read
    // takes up to block_size bytes (the source's buffer size). Its reads give
    // way to `stop` as the source's own would. Throws std::system_error when
    // no thread can be started; the source is then as it was.
    ReadAhead(TextInFile& source, std::size_t block_size, const StopRequest* stop, HandBack hand_back = {});
    // Ends the reader and waits for it: within a fraction of a second even
    // while it waits for a FIFO's writer (on Windows, a pipe's ReadFile
    // cannot be woken).
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next block, valid until the next call: empty at the end of the
    // input (its end, its 0x1A, a read error or a stop during a read), when
    // `stop` is requested while the ring is empty, and once the source has
    // been handed back.
    RawBlock next();
    // True once next() has reached an end that was a read error.
    bool read_error() const { return read_error_; }
    // True once next() came back empty because the reader handed the source
    // back: its blocks so far have all been given out, and once this object
    // is gone the caller reads on from there with read_raw_block().
    bool handed_back() const { return handed_back_; }

private:

    enum class Verdict { GoOn, MoveReader, HandBack };

    void read_all();
    void wait_until_caught_up();
    Verdict look();

    TextInFile& source_;
    const StopRequest* stop_;
    StopRequest quit_;     // made by the destructor; the reader's reads also give way to stop_
    HandBack hand_back_;
    std::size_t read_at_;  // where in its slot each block is read to
    std::size_t batch_;    // blocks a caller that has caught up waits for
    std::size_t slot_size_;
    std::unique_ptr<char[], AlignedDelete> memory_;  // the slots, one after the other
    std::vector<RawBlock> blocks_;                  // each slot's block

    std::mutex mutex_;
    std::condition_variable filled_cv_;  // the reader has handed over a block, ended or gone
    std::condition_variable freed_cv_;   // the ring has room again, or the reader is to end or go
    // Under mutex_: blocks counted from the start of the input.
    std::size_t filled_ = 0;    // handed over by the reader
    std::size_t taken_ = 0;     // given out by next()
    std::size_t released_ = 0;  // done with, so their slots may be filled again
    bool ended_ = false;        // the reader has handed over its last block
    bool ended_in_error_ = false;
    bool quitting_ = false;
    bool handing_back_ = false;  // the reader is to stop before its next read
    bool reader_gone_ = false;   // and has stopped
    bool reader_waits_ = false;  // for the caller to catch up: what is there is all there is for now
    bool reader_moves_ = false;  // to another processor, before its next read

    // The caller's own.
    bool read_error_ = false;
    bool handed_back_ = false;
    std::chrono::nanoseconds share_interval_;          // how often to look at the processor time
    std::chrono::steady_clock::time_point looked_at_;  // when it was last looked at
    std::chrono::nanoseconds processor_time_at_{};     // and what it was then,
    std::optional<std::chrono::nanoseconds> idle_at_;  // and the processors' idle time
    std::thread reader_;
};

}  // namespace tav
