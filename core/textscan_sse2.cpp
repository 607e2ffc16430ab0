// The SSE2 path, which every x86-64 processor has: 16-byte lanes, four at a
// time.
#include "textscan_kernels.h"

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

namespace tav::textscan {

namespace sse2 {
namespace {

constexpr std::size_t kLane = 16;
constexpr std::size_t kBlock = 64;

inline __m128i load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void store(char* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

inline void load64(const char* p, __m128i (&lanes)[4]) {
    for (int i = 0; i < 4; ++i) lanes[i] = load(p + kLane * static_cast<std::size_t>(i));
}

// One bit per byte of four lanes (64 bytes): which are equal to c.
inline std::uint64_t mask64(const __m128i (&lanes)[4], char c) {
    const __m128i k = _mm_set1_epi8(c);
    std::uint64_t m = 0;
    for (int i = 0; i < 4; ++i)
        m |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(lanes[i], k))))
             << (16 * i);
    return m;
}

// Copies 64 bytes, whatever is needed: a fixed amount costs no branch.
inline void copy_block(char* to, const char* from) {
    __m128i lanes[4];
    load64(from, lanes);
    for (int i = 0; i < 4; ++i) store(to + kLane * static_cast<std::size_t>(i), lanes[i]);
}

// Sums the counts kept per byte in acc (each at most 255) and clears it.
inline std::size_t drain(__m128i& acc) {
    const __m128i sums = _mm_sad_epu8(acc, _mm_setzero_si128());
    acc = _mm_setzero_si128();
    return static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
           static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
}

// Without a popcount instruction, the counts are kept per byte in vector
// accumulators: each byte takes at most 4 per step and is drained every 63.
const char* scan(const char* begin, const char* end, bool stop_at_ctrl_z, Census& census) {
    census = {};
    if (begin == end || (*begin == kCtrlZ && stop_at_ctrl_z)) return begin;
    census.lfs = *begin == '\n' ? 1 : 0;
    const char* p = begin + 1;  // from here on, the byte before p is in range
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i ctrl_z = _mm_set1_epi8(kCtrlZ);
    __m128i lfs = _mm_setzero_si128();
    __m128i pairs = _mm_setzero_si128();
    int steps = 0;
    for (; end - p >= static_cast<std::ptrdiff_t>(kBlock); p += kBlock) {
        __m128i l[4], pair[4];
        __m128i z = _mm_setzero_si128();
        for (int i = 0; i < 4; ++i) {
            const char* const q = p + kLane * static_cast<std::size_t>(i);
            const __m128i v = load(q);
            l[i] = _mm_cmpeq_epi8(v, lf);
            pair[i] = _mm_and_si128(l[i], _mm_cmpeq_epi8(load(q - 1), cr));
            z = _mm_or_si128(z, _mm_cmpeq_epi8(v, ctrl_z));
        }
        // The byte loop below finds the 0x1A and counts what comes before it.
        if (stop_at_ctrl_z && _mm_movemask_epi8(z) != 0) break;
        lfs = _mm_sub_epi8(lfs, _mm_add_epi8(_mm_add_epi8(l[0], l[1]), _mm_add_epi8(l[2], l[3])));
        pairs = _mm_sub_epi8(pairs, _mm_add_epi8(_mm_add_epi8(pair[0], pair[1]), _mm_add_epi8(pair[2], pair[3])));
        if (++steps == 63) {
            census.lfs += drain(lfs);
            census.pairs += drain(pairs);
            steps = 0;
        }
    }
    census.lfs += drain(lfs);
    census.pairs += drain(pairs);
    return scan_bytes(p, end, stop_at_ctrl_z, p[-1] == '\r', census);
}

const char* find_bare_lf(const char* begin, const char* end, bool cr_before) {
    const char* p = begin;
    if (p == end) return end;
    if (*p == '\n' && !cr_before) return p;
    ++p;  // from here on, the byte before p is in range
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; end - p >= static_cast<std::ptrdiff_t>(kBlock); p += kBlock) {
        // An LF whose byte before is not a CR, in each lane.
        __m128i bare[4];
        for (int i = 0; i < 4; ++i) {
            const char* const q = p + kLane * static_cast<std::size_t>(i);
            bare[i] = _mm_andnot_si128(_mm_cmpeq_epi8(load(q - 1), cr), _mm_cmpeq_epi8(load(q), lf));
        }
        const __m128i any = _mm_or_si128(_mm_or_si128(bare[0], bare[1]), _mm_or_si128(bare[2], bare[3]));
        if (_mm_movemask_epi8(any) == 0) continue;
        for (int i = 0; i < 4; ++i) {
            if (const int m = _mm_movemask_epi8(bare[i]))
                return p + kLane * static_cast<std::size_t>(i) +
                       static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(m)));
        }
    }
    return find_bare_lf_bytes(p, end, p[-1] == '\r');
}

void copy_bytes(char* to, const char* from, std::size_t size) {
    for (; size >= kBlock; size -= kBlock, to += kBlock, from += kBlock) copy_block(to, from);
    std::memcpy(to, from, size);
}

// 64 bytes at a time: each stretch between the LFs to expand is copied as a
// whole 64 bytes (overrunning, hence the input margin and the output slack),
// then followed by a CR.
void copy_expanding(const char*& in, const char* in_end, char*& out, const char* out_stop, bool keep_pairs,
                    bool cr_before) {
    const char* p = in;
    char* o = out;
    while (in_end - p >= static_cast<std::ptrdiff_t>(2 * kBlock) && o < out_stop) {
        __m128i lanes[4];
        load64(p, lanes);
        std::uint64_t expand = mask64(lanes, '\n');
        std::size_t from = 0;
        while (expand != 0) {
            const auto at = static_cast<std::size_t>(__builtin_ctzll(expand));
            expand &= expand - 1;
            // The byte before each LF decides, rather than a second mask:
            // LFs are far fewer than bytes.
            if (keep_pairs && (at == 0 ? cr_before : p[at - 1] == '\r')) continue;
            copy_block(o, p + from);
            o += at - from;
            *o++ = '\r';
            from = at;
        }
        copy_block(o, p + from);
        o += kBlock - from;
        cr_before = p[kBlock - 1] == '\r';
        p += kBlock;
    }
    in = p;
    out = o;
    copy_expanding_bytes(in, in_end, out, out_stop, keep_pairs, cr_before);
}

}  // namespace
}  // namespace sse2

const Kernels kSse2Kernels = {sse2::scan, sse2::find_bare_lf, sse2::copy_bytes, sse2::copy_expanding};

}  // namespace tav::textscan
