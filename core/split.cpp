#include "tav/split.h"

#include "piecewriter.h"
#include "decimal.h"
#include "readahead.h"
#include "tav/messagesink.h"
#include "tav/splitsettings.h"
#include "tav/stoprequest.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace tav {

namespace {

// Where the current piece stands against the limits, on raw text (see
// textscan.h): a CR LF pair is one character, the LF, and one line break. A
// limit of 0 or less means no limit of that kind.
class PieceCounter {
public:
    PieceCounter(std::int32_t line_limit, std::int32_t byte_limit)
        : line_limit_(line_limit), byte_limit_(byte_limit) {}

    // How many leading bytes of a raw block belong to the current piece; sets
    // `completes` when they bring it to a limit. Never splits a CR LF pair.
    std::size_t take(const RawBlock& block, bool& completes) {
        // Most blocks lie wholly inside a piece: their census says so.
        const auto lines = static_cast<std::int64_t>(block.census.lfs);
        const auto chars = static_cast<std::int64_t>(block.text.size() - block.census.pairs);
        completes = (line_limit_ > 0 && lines_ + lines >= line_limit_) ||
                    (byte_limit_ > 0 && chars_ + chars >= byte_limit_);
        if (!completes) {
            lines_ += lines;
            chars_ += chars;
            return block.text.size();
        }
        const std::size_t n = cut_position(block.text);
        lines_ = chars_ = 0;
        return n;
    }

private:
    // Where the current piece ends in raw, known to be inside it: walks line
    // by line. The character that reaches a limit belongs to the piece.
    std::size_t cut_position(std::string_view raw) const {
        const char* const begin = raw.data();
        const char* const end = begin + raw.size();
        std::int64_t lines = lines_, chars = chars_;
        for (const char* p = begin; p < end;) {
            const auto* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            const char* const line_end = lf != nullptr ? lf + 1 : end;
            // A CR before the LF is part of the line break, not a character.
            const bool pair = lf != nullptr && lf > begin && lf[-1] == '\r';
            const std::int64_t line_chars = (line_end - p) - (pair ? 1 : 0);
            if (byte_limit_ > 0 && chars + line_chars >= byte_limit_) {
                // Every byte before the line break is one character.
                const std::int64_t needed = byte_limit_ - chars;
                return static_cast<std::size_t>((needed == line_chars ? line_end : p + needed) - begin);
            }
            chars += line_chars;
            if (lf != nullptr && line_limit_ > 0 && ++lines >= line_limit_)
                return static_cast<std::size_t>(line_end - begin);
            p = line_end;
        }
        return raw.size();
    }

    std::int64_t line_limit_;
    std::int64_t byte_limit_;
    std::int64_t lines_ = 0;  // LFs in the current piece
    std::int64_t chars_ = 0;  // characters in the current piece
};

// Cuts the first n bytes off a block, as a block of their own; no CR LF pair
// lies across the cut, so the two censuses add up to the old one.
RawBlock take_front(RawBlock& block, std::size_t n) {
    const RawBlock front = n == block.text.size() ? block : RawBlock::of(block.text.substr(0, n));
    block = {block.text.substr(n), block.census - front.census};
    return front;
}

// Reading ahead costs about a millisecond (starting the thread, first
// touching its ring, and the first and last blocks, which the run waits for)
// and gains about a third of a run's time, which is 3 to 4 ms for 8 MiB:
// from twice that size on, the gain is clear.
constexpr std::uint64_t kReadAheadFrom = 16u << 20;

// The blocks of the source, from the run's own reads or from a reader ahead.
class Feed {
public:
    Feed(TextInFile& source, std::size_t buffer_size, const StopRequest* stop, SplitRun::Reading how)
        : source_(source) {
        using Reading = SplitRun::Reading;
        // Only where a second processor may run the reader and the source is
        // large enough to pay for it.
        const bool pays = source.is_regular() && source.size() >= kReadAheadFrom && processors_available() > 1;
        if (how == Reading::InRun || (how == Reading::Auto && !pays)) return;
        HandBack hand_back;
        hand_back.when_it_does_not_pay = how == Reading::Auto;
        hand_back.after_blocks = how == Reading::AheadThenInRun ? 3 : 0;
        try {
            ahead_.emplace(source, buffer_size, stop, hand_back);
        } catch (const std::system_error&) {
            // No thread to be had: the run reads for itself.
        }
    }

    RawBlock next() {
        if (ahead_) {
            const RawBlock block = ahead_->next();
            if (!ahead_->handed_back()) return block;
            ahead_.reset();
        }
        return source_.read_raw_block();
    }
    // Whether the input, as far as the run took it, ended at a read error.
    bool read_error() const { return ahead_ ? ahead_->read_error() : source_.read_error(); }
    // Ends the reader ahead, if any: the source is then the run's alone.
    void end() { ahead_.reset(); }

private:
    TextInFile& source_;
    std::optional<ReadAhead> ahead_;
};

// The first failing check's message, or nullptr when the settings can run.
const char* validation_error(const SplitSettings& s) {
    if (s.source.empty()) return "Please enter a source file";
    if (s.dest.empty()) return "Please enter a destination file";
    // Emptiness is tested on the text as typed: spaces count as filled.
    if (s.lines.empty() == s.kb.empty()) return "Please enter or select a number of lines or file size in KB";
    return nullptr;
}

}  // namespace

bool SplitRun::stopped() const { return stop_requested(stop_); }

void SplitRun::run(const SplitSettings& settings, MessageSink& sink) const {
    const std::int32_t line_limit = settings.lines.empty() ? 0 : decimal_value(settings.lines);
    const std::int32_t byte_limit = settings.kb.empty() ? 0 : kilobytes_to_bytes(decimal_value(settings.kb));

    if (const char* error = validation_error(settings)) {
        sink.show(error, "Error");
        return;
    }
    sink.show(std::to_string(byte_limit) + " " + std::to_string(line_limit), "Get out");

    if (stopped()) return;
    TextInFile source(buffer_size_);
    source.stop_on(stop_);
    if (!source.open_existing(settings.source)) {
        sink.show("Could not open source file", "Error");
        return;
    }

    // Piece 1 is opened, and an old piece 1 cut, only once the source has
    // given something or ended: a source that cannot be read loses nothing.
    const std::optional<FileId> source_id = source.id();
    Feed feed(source, buffer_size_, stop_, reading_);
    RawBlock block = feed.next();
    const bool unreadable = block.text.empty() && feed.read_error();
    PieceWriter writer(settings.dest, source_id, sink, buffer_size_, stop_);
    PieceCounter counter(line_limit, byte_limit);
    std::int32_t file_counter = 1;
    if (!unreadable && !stopped()) writer.begin(file_counter);
    // A full disk fails every piece after it: the run ends with that piece.
    while (!block.text.empty() && !writer.later_pieces_fail()) {
        bool completes = false;
        writer.write_raw(take_front(block, counter.take(block, completes)));
        if (completes) {
            writer.finish();
            if (stopped() || writer.later_pieces_fail()) break;
            // Wraps like the 32-bit counter it is rather than overflowing.
            file_counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(file_counter) + 1u);
            writer.begin(file_counter);
        }
        if (block.text.empty() && !stopped()) block = feed.next();
    }
    // Whatever follows the last cut, even nothing, is the final piece.
    writer.finish();
    const bool read_failed = feed.read_error() && !stopped();
    feed.end();
    source.close();
    if (read_failed) sink.show("Could not read source file", "Error");
}

}  // namespace tav
