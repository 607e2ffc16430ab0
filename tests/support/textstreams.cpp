#include "support/textstreams.h"

#include <cstring>

namespace tav {

struct StreamProbe {
    static bool eof(const StreamState& stream) { return (stream.flags_ & StreamState::kEof) != 0; }
};

}  // namespace tav

namespace tavtest {

std::string_view read_block(tav::TextInFile& in) {
    const std::string_view raw = in.read_raw_block().text;
    // Drop the CR of each pair, in place in the stream's buffer. No pair
    // straddles two blocks.
    char* const begin = const_cast<char*>(raw.data());
    char* const end = begin + raw.size();
    char* out = begin;
    for (char* p = begin; p < end;) {
        auto* cr = static_cast<char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)));
        char* const stop = cr != nullptr && cr + 1 < end && cr[1] == '\n' ? cr : (cr != nullptr ? cr + 1 : end);
        if (out != p) std::memmove(out, p, static_cast<std::size_t>(stop - p));
        out += stop - p;
        p = stop == cr ? cr + 1 : stop;
    }
    return {begin, static_cast<std::size_t>(out - begin)};
}

bool at_eof(const tav::StreamState& stream) { return tav::StreamProbe::eof(stream); }

}  // namespace tavtest
