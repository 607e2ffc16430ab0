#include "textscan.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TAV_HAVE_SSE2 1
#endif

namespace tav::textscan {

namespace {

#ifdef TAV_HAVE_SSE2
constexpr std::size_t kLane = 16;
constexpr std::size_t kBlock = 64;

inline __m128i load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void store(char* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// One bit per byte of four lanes (64 bytes): which are equal to c.
inline std::uint64_t mask64(const __m128i (&lanes)[4], char c) {
    const __m128i k = _mm_set1_epi8(c);
    std::uint64_t m = 0;
    for (int i = 0; i < 4; ++i)
        m |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(lanes[i], k))))
             << (16 * i);
    return m;
}

inline void load64(const char* p, __m128i (&lanes)[4]) {
    for (int i = 0; i < 4; ++i) lanes[i] = load(p + kLane * static_cast<std::size_t>(i));
}

// Copies 64 bytes, whatever is needed: a fixed amount costs no branch.
inline void copy_block(char* to, const char* from) {
    __m128i lanes[4];
    load64(from, lanes);
    for (int i = 0; i < 4; ++i) store(to + kLane * static_cast<std::size_t>(i), lanes[i]);
}

// Sums the counts kept per byte in acc (each at most 255).
inline std::size_t drain(__m128i& acc) {
    const __m128i sums = _mm_sad_epu8(acc, _mm_setzero_si128());
    acc = _mm_setzero_si128();
    return static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
           static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
}

// Counts the bytes where match(q) is all ones, four lanes per step; each
// byte of the accumulator takes at most 63 x 4 before it is drained.
template <class Match>
const char* count_lanes(const char* p, const char* end, std::size_t& count, Match match) {
    __m128i acc = _mm_setzero_si128();
    int steps = 0;
    for (; end - p >= static_cast<std::ptrdiff_t>(kBlock); p += kBlock) {
        const __m128i a = _mm_add_epi8(match(p), match(p + kLane));
        const __m128i b = _mm_add_epi8(match(p + 2 * kLane), match(p + 3 * kLane));
        acc = _mm_sub_epi8(acc, _mm_add_epi8(a, b));
        if (++steps == 63) {
            count += drain(acc);
            steps = 0;
        }
    }
    count += drain(acc);
    return p;
}
#endif

}  // namespace

std::size_t count_lf(const char* begin, const char* end) {
    std::size_t count = 0;
    const char* p = begin;
#ifdef TAV_HAVE_SSE2
    const __m128i lf = _mm_set1_epi8('\n');
    p = count_lanes(p, end, count, [&](const char* q) { return _mm_cmpeq_epi8(load(q), lf); });
#endif
    for (; p < end; ++p) count += *p == '\n';
    return count;
}

std::size_t count_crlf(const char* begin, const char* end) {
    if (end - begin < 2) return 0;
    std::size_t count = 0;
    const char* p = begin + 1;  // p runs over the LF of each candidate pair
#ifdef TAV_HAVE_SSE2
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    p = count_lanes(p, end, count, [&](const char* q) {
        return _mm_and_si128(_mm_cmpeq_epi8(load(q), lf), _mm_cmpeq_epi8(load(q - 1), cr));
    });
#endif
    for (; p < end; ++p) count += p[0] == '\n' && p[-1] == '\r';
    return count;
}

const char* find_bare_lf(const char* begin, const char* end, bool cr_before) {
    const char* p = begin;
    if (p == end) return end;
    if (*p == '\n' && !cr_before) return p;
    ++p;  // from here on, the byte before p is in range
#ifdef TAV_HAVE_SSE2
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
                return p + kLane * static_cast<std::size_t>(i) + static_cast<std::size_t>(std::countr_zero(
                                                                     static_cast<unsigned>(m)));
        }
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\n' && p[-1] != '\r') return p;
    }
    return end;
}

void copy_bytes(char* to, const char* from, std::size_t size) {
#ifdef TAV_HAVE_SSE2
    for (; size >= kBlock; size -= kBlock, to += kBlock, from += kBlock) copy_block(to, from);
#endif
    std::memcpy(to, from, size);
}

void copy_expanding(const char*& in, const char* in_end, char*& out, const char* out_stop, bool keep_pairs,
                    bool cr_before) {
    const char* p = in;
    char* o = out;
#ifdef TAV_HAVE_SSE2
    // 64 bytes at a time: each stretch between the LFs to expand is copied
    // as a whole 64 bytes (overrunning, hence the input margin and the output
    // slack), then followed by a CR.
    while (in_end - p >= static_cast<std::ptrdiff_t>(2 * kBlock) && o < out_stop) {
        __m128i lanes[4];
        load64(p, lanes);
        std::uint64_t expand = mask64(lanes, '\n');
        std::size_t from = 0;
        while (expand != 0) {
            const auto at = static_cast<std::size_t>(std::countr_zero(expand));
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
#endif
    for (; p < in_end && o < out_stop; ++p) {
        if (*p == '\n' && !(keep_pairs && cr_before)) *o++ = '\r';
        cr_before = *p == '\r';
        *o++ = *p;
    }
    in = p;
    out = o;
}

}  // namespace tav::textscan
