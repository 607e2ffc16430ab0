#include "readahead.h"

#include "rawfile.h"
#include "textscan.h"

#include <algorithm>
#include <utility>

namespace tav {

namespace {

// Enough for the reads and the writes to overlap, yet a few MiB at most: a
// reader that is ahead waits rather than filling memory.
constexpr std::size_t kSlots = 8;
// How long a wait for the reader looks away from a stop request.
constexpr std::chrono::milliseconds kWaitSlice{200};
// How often the run looks at whether reading ahead pays (or over at least
// this many steps of the system's count of processor time), and the share of
// processors it must see for that: two threads that take turns on one
// processor do the work of one plus the cost of handing the blocks over (up
// to a tenth more, measured with both held to one processor).
constexpr std::chrono::milliseconds kShareInterval{20};
constexpr int kShareSteps = 8;
constexpr double kPayingShare = 1.25;

std::size_t round_up(std::size_t n, std::size_t unit) { return (n + unit - 1) / unit * unit; }

// Writes `raw` from `out` on with every bare LF as CR LF, so that every line
// break is a pair. `out` may lie before the text in the same memory, as long
// as it is at least the text's size plus the copy's overrun before it: the
// copy then never overtakes what it has still to read.
RawBlock in_disk_form(const RawBlock& raw, char* out) {
    const char* in = raw.text.data();
    char* end = out;
    // Only a bare LF grows, so the input runs out before the output reaches the stop.
    textscan::copy_expanding(in, in + raw.text.size(), end, out + 2 * raw.text.size(), raw.census.pairs != 0,
                             false);
    return {{out, static_cast<std::size_t>(end - out)}, {raw.census.lfs, raw.census.lfs}};
}

}  // namespace

// A slot holds one block: read to read_at_ (a CR held back from the block
// before goes just in front), it stays there if it needs no CRs, as text with
// CR LF line breaks does. Otherwise its disk form is written from the front
// of the slot, starting as far into a page as the block lies in the output,
// so that the piece can be written straight from the slot (see
// TextOutFile::direct_size); read_at_ is far enough behind for that copy.
ReadAhead::ReadAhead(TextInFile& source, std::size_t block_size, const StopRequest* stop, HandBack hand_back)
    : source_(source), stop_(stop), quit_(stop), hand_back_(hand_back) {
    block_size = std::max<std::size_t>(block_size, 1);
    const std::size_t text = block_size + 1;  // with a held CR
    read_at_ = round_up((kPage - 1) + text + textscan::kExpandSlack + 1, kPage);
    slot_size_ = round_up(std::max(read_at_ + block_size, (kPage - 1) + 2 * text + textscan::kExpandSlack), kPage);
    // The next read of a FIFO or a terminal may wait for another program:
    // what is there is handed over at once.
    batch_ = source.is_regular() ? kSlots / 2 : 1;
    // One allocation: mapping and unmapping each slot on its own took a
    // good part of the reader's start and end.
    memory_ = allocate_page_aligned(kSlots * slot_size_);
    blocks_.resize(kSlots);
    share_interval_ = std::max<std::chrono::nanoseconds>(kShareInterval, kShareSteps * processor_time_step());
    looked_at_ = std::chrono::steady_clock::now();
    processor_time_at_ = processor_time();
    idle_at_ = idle_time();
    source_.stop_on(&quit_);
    source_.look_again_at_end([this] { wait_until_caught_up(); });
    try {
        reader_ = std::thread(&ReadAhead::read_all, this);
    } catch (...) {
        source_.stop_on(stop_);
        source_.look_again_at_end({});
        throw;
    }
}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        quitting_ = true;
    }
    quit_.request();
    freed_cv_.notify_one();
    reader_.join();
    source_.stop_on(stop_);
    source_.look_again_at_end({});
}

// What the run's look at the processor time says (taken_ is the caller's
// own, so no lock is needed).
ReadAhead::Verdict ReadAhead::look() {
    if (hand_back_.after_blocks != 0 && taken_ >= hand_back_.after_blocks) return Verdict::HandBack;
    if (!hand_back_.when_it_does_not_pay) return Verdict::GoOn;
    const auto now = std::chrono::steady_clock::now();
    if (now - looked_at_ < share_interval_) return Verdict::GoOn;
    const auto used = processor_time();
    const auto idle = idle_time();
    const std::chrono::duration<double> span = now - looked_at_;
    const double share = std::chrono::duration<double>(used - processor_time_at_) / span;
    const bool spare = idle && idle_at_ && std::chrono::duration<double>(*idle - *idle_at_) >= span / 2;
    looked_at_ = now;
    processor_time_at_ = used;
    idle_at_ = idle;
    if (share >= kPayingShare) return Verdict::GoOn;
    // Taking turns on one processor while another is idle: the system put
    // the reader beside the run, where it starts and where the system may
    // bring it back for a while. Otherwise other programs keep the other
    // processors busy.
    return spare ? Verdict::MoveReader : Verdict::HandBack;
}

RawBlock ReadAhead::next() {
    const Verdict verdict = handed_back_ ? Verdict::GoOn : look();
    std::unique_lock lock(mutex_);
    released_ = taken_;  // the caller is done with the block it had
    if (verdict == Verdict::MoveReader) reader_moves_ = true;
    if (verdict == Verdict::HandBack) handing_back_ = true;
    if (filled_ - released_ <= kSlots / 2 || handing_back_) freed_cv_.notify_one();
    // Once it has caught up, the caller waits for a batch of blocks rather
    // than for each: with both threads on one processor, a switch for every
    // block costs more than the reading ahead saves. The first block comes
    // at once, so that the run starts writing while the reader goes on.
    if (taken_ == filled_) {
        const std::size_t wanted = taken_ == 0 ? 1 : batch_;
        while (!(ended_ || reader_gone_ || filled_ - taken_ >= wanted ||
                 (taken_ != filled_ && (reader_waits_ || handing_back_)))) {
            if (stop_requested(stop_)) return {};
            filled_cv_.wait_for(lock, kWaitSlice);
        }
    }
    if (taken_ != filled_) return blocks_[taken_++ % kSlots];
    if (ended_) {
        read_error_ = ended_in_error_;
    } else {
        handed_back_ = true;
    }
    return {};
}

// At the end of the file: until the caller has used every block handed over
// and asks for the next, when a run without a reader ahead would read.
void ReadAhead::wait_until_caught_up() {
    std::unique_lock lock(mutex_);
    reader_waits_ = true;
    filled_cv_.notify_one();
    freed_cv_.wait(lock, [&] { return quitting_ || released_ == filled_; });
    reader_waits_ = false;
}

void ReadAhead::read_all() {
    std::uint64_t out_at = 0;  // where the next block starts in the output
    for (std::size_t n = 0;; ++n) {
        bool move = false;
        {
            std::unique_lock lock(mutex_);
            // A full ring waits until half of it is free again, so that each
            // thread wakes the other once every few blocks, not for each one.
            if (n - released_ == kSlots)
                freed_cv_.wait(lock, [&] { return quitting_ || handing_back_ || n - released_ <= kSlots / 2; });
            if (quitting_) return;
            if (handing_back_) {
                reader_gone_ = true;
                filled_cv_.notify_one();
                return;
            }
            move = std::exchange(reader_moves_, false);
        }
        if (move) move_to_another_processor();
        char* const memory = memory_.get() + n % kSlots * slot_size_;
        RawBlock block = quit_.requested() ? RawBlock{} : source_.read_raw_block_into(memory + read_at_);
        if (block.census.bare() != 0) block = in_disk_form(block, memory + out_at % kPage);
        out_at += block.text.size();
        blocks_[n % kSlots] = block;
        bool wake = false;
        {
            const std::lock_guard lock(mutex_);
            if (block.text.empty()) {
                ended_ = true;
                ended_in_error_ = source_.read_error();
            } else {
                filled_ = n + 1;
            }
            wake = ended_ || handing_back_ || filled_ - taken_ >= (taken_ == 0 ? 1 : batch_);
        }
        if (wake) filled_cv_.notify_one();
        if (block.text.empty()) return;
    }
}

}  // namespace tav
