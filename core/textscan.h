// Bulk scanning and copying for the text streams and the split, working on
// "raw text": bytes as they are on disk, in which a CR directly followed by
// LF is one line break, and so is an LF on its own (a bare LF). Every other
// byte is one character.
//
// Every function runs on one code path, chosen once per process from what
// the processor offers: AVX-512 (with VBMI2), AVX2, SSE2 or plain C++. All
// paths give the same results; tests and the benchmark may choose a lower one.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace tav::textscan {

// The byte that ends a text file's input (Ctrl-Z).
inline constexpr char kCtrlZ = 0x1A;

enum class Path { Plain, Sse2, Avx2, Avx512 };

// The path in use.
Path active_path();
// Every path that this build can run on this processor, lowest first.
std::vector<Path> available_paths();
// Runs later calls on `path`, if it is available (for tests and the
// benchmark); returns whether it is.
bool use_path(Path path);
// "plain", "sse2", "avx2", "avx512": the names the benchmark's TAV_SIMD takes.
const char* path_name(Path path);
std::optional<Path> path_named(std::string_view name);

// What one pass over raw text finds.
struct Census {
    std::size_t lfs = 0;    // LF bytes
    std::size_t pairs = 0;  // CR LF pairs lying wholly inside
    // LFs without a CR before them: each becomes CR LF when written.
    std::size_t bare() const { return lfs - pairs; }
    friend Census operator-(const Census& a, const Census& b) { return {a.lfs - b.lfs, a.pairs - b.pairs}; }
    friend bool operator==(const Census&, const Census&) = default;
};

// One pass over [begin, end): returns the first 0x1A, or end if there is none
// or stop_at_ctrl_z is false, and sets census to what lies before it.
const char* scan(const char* begin, const char* end, bool stop_at_ctrl_z, Census& census);

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
