#include "split.h"

#include "chunkwriter.h"
#include "decimal.h"
#include "messagesink.h"
#include "splitsettings.h"

#include <cstring>
#include <string>
#include <string_view>

namespace tav {

namespace {

// Where the current piece stands against the limits. A limit of 0 or less
// means no limit of that kind.
class PieceCounter {
public:
    PieceCounter(std::int32_t line_limit, std::int32_t byte_limit)
        : line_limit_(line_limit), byte_limit_(byte_limit) {}

    // How many leading characters of text belong to the current piece; sets
    // `completes` when the last of them reaches a limit.
    std::size_t take(std::string_view text, bool& completes) {
        std::size_t n = text.size();
        completes = false;
        if (byte_limit_ > 0) {
            const auto room = static_cast<std::size_t>(byte_limit_ - chars_);
            if (room <= n) {
                n = room;
                completes = true;
            }
        }
        if (line_limit_ > 0) {
            // The LF that ends the last line of a piece belongs to it.
            const char* p = text.data();
            const char* const end = p + n;
            while (p < end) {
                const auto* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
                if (lf == nullptr) break;
                p = lf + 1;
                if (++lines_ >= line_limit_) {
                    n = static_cast<std::size_t>(p - text.data());
                    completes = true;
                    break;
                }
            }
        }
        if (byte_limit_ > 0) chars_ += static_cast<std::int32_t>(n);
        if (completes) lines_ = chars_ = 0;
        return n;
    }

private:
    std::int32_t line_limit_;
    std::int32_t byte_limit_;
    std::int32_t lines_ = 0;  // LFs in the current piece (counted only under a line limit)
    std::int32_t chars_ = 0;  // characters in the current piece (counted only under a size limit)
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

void SplitRun::run(const SplitSettings& settings, MessageSink& sink) const {
    const std::int32_t line_limit = settings.lines.empty() ? 0 : decimal_value(settings.lines);
    const std::int32_t byte_limit = settings.kb.empty() ? 0 : kilobytes_to_bytes(decimal_value(settings.kb));

    if (const char* error = validation_error(settings)) {
        sink.show(error, "Error");
        return;
    }
    sink.show(std::to_string(byte_limit) + " " + std::to_string(line_limit), "Get out");

    TextInFile source(buffer_size_);
    if (!source.open_existing(settings.source)) {
        sink.show("Could not open source file", "Error");
        return;
    }

    ChunkWriter writer(settings.dest, source.id(), sink, buffer_size_);
    PieceCounter counter(line_limit, byte_limit);
    std::int32_t file_counter = 1;
    writer.begin(file_counter);
    for (std::string_view block = source.read_block(); !block.empty(); block = source.read_block()) {
        while (!block.empty()) {
            bool completes = false;
            const std::size_t n = counter.take(block, completes);
            writer.write(block.substr(0, n));
            block.remove_prefix(n);
            if (completes) {
                writer.finish();
                // Wraps like the 32-bit counter it is rather than overflowing.
                file_counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(file_counter) + 1u);
                writer.begin(file_counter);
            }
        }
    }
    // Whatever follows the last cut, even nothing, is the final piece.
    writer.finish();
    const bool read_failed = source.read_error();
    source.close();
    if (read_failed) sink.show("Could not read source file", "Error");
}

}  // namespace tav
