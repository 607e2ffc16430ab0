// Bulk scanning and copying for the text streams and the split, working on
// "raw text": bytes as they are on disk, in which a CR directly followed by
// LF is one line break, and so is an LF on its own (a bare LF). Every other
// byte is one character. SIMD where the compiler offers SSE2, plain loops
// elsewhere; both give the same results.
#pragma once

#include <cstddef>

namespace tav::textscan {

// Number of LF bytes in [begin, end).
std::size_t count_lf(const char* begin, const char* end);

// Number of CR LF pairs lying wholly inside [begin, end).
std::size_t count_crlf(const char* begin, const char* end);

// The first bare LF in [begin, end), or end. cr_before says whether the
// byte just before begin is a CR (which would pair with an LF at begin).
const char* find_bare_lf(const char* begin, const char* end, bool cr_before);

// memcpy for text buffers: a plain vector loop. The library's memcpy moves
// large blocks with "rep movsb", which some processors run several times
// slower when source and destination are not equally aligned, as they are
// not when a piece starts in the middle of a read.
void copy_bytes(char* to, const char* from, std::size_t size);

// Copies from `in` towards `in_end` into `out`, writing each LF that is to
// be expanded as CR LF: every LF when keep_pairs is false, only bare ones
// when it is true (cr_before as above, for the byte before `in`). Stops when
// the input is used up or when the output has passed `out_stop`; never writes
// at or beyond out_stop + kExpandSlack. Advances `in` and `out`.
inline constexpr std::size_t kExpandSlack = 256;
void copy_expanding(const char*& in, const char* in_end, char*& out, const char* out_stop, bool keep_pairs,
                    bool cr_before);

}  // namespace tav::textscan
