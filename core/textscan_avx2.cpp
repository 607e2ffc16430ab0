// The AVX2 path: 64-byte chunks as two 32-byte lanes, reduced to one bit per
// byte; CRs are put in by copying the stretches between them, or with byte
// shuffles where line breaks are dense.
// Only the functions marked TAV_AVX2 use these instructions, so the rest of
// the program still runs on any x86-64 processor.
#include "textscan_kernels.h"

#include <immintrin.h>

#include <cstdint>
#include <cstring>

#define TAV_AVX2 __attribute__((target("avx2,bmi,bmi2,popcnt")))

namespace tav::textscan {

namespace avx2 {
namespace {

constexpr std::size_t kChunk = 64;
// Chunks with at most this many LFs to expand take the stretch copies.
constexpr long long kSparse = 2;

struct Masks {
    std::uint64_t lf, cr, ctrl_z;
};

TAV_AVX2 inline __m256i load(const char* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

TAV_AVX2 inline std::uint64_t mask_of(__m256i low, __m256i high, __m256i c) {
    const auto l = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, c)));
    const auto h = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, c)));
    return static_cast<std::uint64_t>(h) << 32 | l;
}

// One bit per byte of the 64 bytes at p, for LF, CR and 0x1A.
TAV_AVX2 inline Masks masks_at(const char* p) {
    const __m256i low = load(p);
    const __m256i high = load(p + 32);
    return {mask_of(low, high, _mm256_set1_epi8('\n')), mask_of(low, high, _mm256_set1_epi8('\r')),
            mask_of(low, high, _mm256_set1_epi8(kCtrlZ))};
}

TAV_AVX2 inline std::size_t ones(std::uint64_t m) { return static_cast<std::size_t>(_mm_popcnt_u64(m)); }

TAV_AVX2 const char* scan(const char* begin, const char* end, bool stop_at_ctrl_z, Census& census) {
    std::size_t lfs = 0, pairs = 0;
    std::uint64_t cr_carry = 0;  // 1 when the byte before the chunk is a CR
    const char* p = begin;
    for (; end - p >= static_cast<std::ptrdiff_t>(kChunk); p += kChunk) {
        Masks m = masks_at(p);
        if (stop_at_ctrl_z && m.ctrl_z != 0) {
            m.lf &= _blsmsk_u64(m.ctrl_z) >> 1;  // only what lies before the first 0x1A
            census = {lfs + ones(m.lf), pairs + ones(m.lf & (m.cr << 1 | cr_carry))};
            return p + _tzcnt_u64(m.ctrl_z);
        }
        lfs += ones(m.lf);
        pairs += ones(m.lf & (m.cr << 1 | cr_carry));
        cr_carry = m.cr >> 63;
    }
    census = {lfs, pairs};
    return scan_bytes(p, end, stop_at_ctrl_z, cr_carry != 0, census);
}

TAV_AVX2 const char* find_bare_lf(const char* begin, const char* end, bool cr_before) {
    std::uint64_t cr_carry = cr_before ? 1 : 0;
    const char* p = begin;
    for (; end - p >= static_cast<std::ptrdiff_t>(kChunk); p += kChunk) {
        const __m256i low = load(p);
        const __m256i high = load(p + 32);
        const std::uint64_t lf = mask_of(low, high, _mm256_set1_epi8('\n'));
        const std::uint64_t cr = mask_of(low, high, _mm256_set1_epi8('\r'));
        if (const std::uint64_t bare = lf & ~(cr << 1 | cr_carry)) return p + _tzcnt_u64(bare);
        cr_carry = cr >> 63;
    }
    return find_bare_lf_bytes(p, end, cr_carry != 0);
}

TAV_AVX2 inline void copy64(char* to, const char* from) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), load(from));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 32), load(from + 32));
}

TAV_AVX2 void copy_bytes(char* to, const char* from, std::size_t size) {
    for (; size >= kChunk; size -= kChunk, to += kChunk, from += kChunk) copy64(to, from);
    std::memcpy(to, from, size);
}

// The 64 bytes at p with a CR before the LFs in `expand`, of which there are
// at most two: three stretches copied 64 bytes at a time, a missing LF
// counting as one at position 64. The same work whatever the chunk holds, so
// no branch to mispredict; it reads up to 128 bytes past p.
TAV_AVX2 inline char* expand_sparse(char* o, const char* p, std::uint64_t expand) {
    const std::uint64_t first = _tzcnt_u64(expand);
    const std::uint64_t second = _tzcnt_u64(_blsr_u64(expand));
    copy64(o, p);
    o += first;
    *o = '\r';
    o += first < kChunk ? 1 : 0;
    copy64(o, p + first);
    o += second - first;
    *o = '\r';
    o += second < kChunk ? 1 : 0;
    copy64(o, p + second);
    return o + (kChunk - second);
}

// For each mask of 8 input bytes, where each of the 16 output bytes comes
// from: an input index (0 to 7), or 8 for a CR put before an LF.
struct ShuffleTable {
    alignas(16) std::uint8_t at[256][16];
};

constexpr ShuffleTable make_shuffle_table() {
    ShuffleTable t{};
    for (unsigned m = 0; m < 256; ++m) {
        unsigned j = 0;
        for (std::uint8_t i = 0; i < 8; ++i) {
            if (m >> i & 1) t.at[m][j++] = 8;
            t.at[m][j++] = i;
        }
        while (j < 16) t.at[m][j++] = 8;
    }
    return t;
}

constexpr ShuffleTable kShuffle = make_shuffle_table();

// Writes the 8 bytes in the low half of `bytes` (CRs in the high half) with a
// CR before each byte whose bit is set in m; returns the end of the output.
TAV_AVX2 inline char* expand8(char* o, __m128i bytes, unsigned m) {
    const __m128i order = _mm_load_si128(reinterpret_cast<const __m128i*>(kShuffle.at[m]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(bytes, order));
    return o + 8 + _mm_popcnt_u32(m);
}

// The same for any number of LFs: byte shuffles, eight input bytes at a time.
TAV_AVX2 inline char* expand_dense(char* o, __m256i low, __m256i high, std::uint64_t expand) {
    const __m128i crs = _mm_set1_epi8('\r');
    const __m128i lanes[4] = {_mm256_castsi256_si128(low), _mm256_extracti128_si256(low, 1),
                              _mm256_castsi256_si128(high), _mm256_extracti128_si256(high, 1)};
    for (int i = 0; i < 4; ++i) {
        const auto m = static_cast<unsigned>(expand >> (16 * i));
        o = expand8(o, _mm_unpacklo_epi64(lanes[i], crs), m & 0xFF);
        o = expand8(o, _mm_unpackhi_epi64(lanes[i], crs), m >> 8 & 0xFF);
    }
    return o;
}

// 64 bytes at a time. Text has mostly no more than two line breaks in 64
// bytes, which the stretch copies handle fastest; denser chunks take the
// shuffles, at about half the speed. (A loop over the line breaks, with a
// branch per line, was faster only on text seen before, whose branches the
// processor had learnt.) Either way writes up to 128 bytes beyond `o`, hence
// the output slack.
TAV_AVX2 void copy_expanding(const char*& in, const char* in_end, char*& out, const char* out_stop, bool keep_pairs,
                             bool cr_before) {
    const char* p = in;
    char* o = out;
    std::uint64_t cr_carry = cr_before ? 1 : 0;
    while (in_end - p >= static_cast<std::ptrdiff_t>(2 * kChunk) && o < out_stop) {
        const __m256i low = load(p);
        const __m256i high = load(p + 32);
        std::uint64_t expand = mask_of(low, high, _mm256_set1_epi8('\n'));
        if (keep_pairs) {
            const std::uint64_t cr = mask_of(low, high, _mm256_set1_epi8('\r'));
            expand &= ~(cr << 1 | cr_carry);
            cr_carry = cr >> 63;
        }
        o = _mm_popcnt_u64(expand) <= kSparse ? expand_sparse(o, p, expand) : expand_dense(o, low, high, expand);
        p += kChunk;
    }
    in = p;
    out = o;
    copy_expanding_bytes(in, in_end, out, out_stop, keep_pairs, cr_carry != 0);
}

}  // namespace
}  // namespace avx2

const Kernels kAvx2Kernels = {avx2::scan, avx2::find_bare_lf, avx2::copy_bytes, avx2::copy_expanding};

}  // namespace tav::textscan
