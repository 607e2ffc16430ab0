// The AVX2 path: 64-byte chunks as two 32-byte lanes, reduced to one bit per
// byte; CRs are put in by copying the stretches between them, or with byte
// shuffles where line breaks are dense.
#include "textscan_kernels.h"

#include <immintrin.h>

#include <cstdint>
#include <cstring>

#define TAV_TARGET __attribute__((target("avx2,bmi,bmi2,popcnt")))

namespace tav::textscan {

namespace avx2 {
namespace {

// Chunks with at most this many LFs to expand take the stretch copies.
constexpr long long kSparse = 2;

TAV_TARGET inline __m256i load(const char* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

TAV_TARGET inline std::uint64_t mask_of(__m256i low, __m256i high, char c) {
    const __m256i k = _mm256_set1_epi8(c);
    const auto l = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, k)));
    const auto h = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, k)));
    return static_cast<std::uint64_t>(h) << 32 | l;
}

TAV_TARGET inline void copy64(char* to, const char* from) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), load(from));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 32), load(from + 32));
}

// The 64 bytes at p with a CR before the LFs in `expand`, of which there are
// at most two: three stretches copied 64 bytes at a time, a missing LF
// counting as one at position 64. The same work whatever the chunk holds, so
// no branch to mispredict; it reads up to 128 bytes past p.
TAV_TARGET inline char* expand_sparse(char* o, const char* p, std::uint64_t expand) {
    const std::uint64_t first = _tzcnt_u64(expand);
    const std::uint64_t second = _tzcnt_u64(_blsr_u64(expand));
    copy64(o, p);
    o += first;
    *o = '\r';
    o += first < 64 ? 1 : 0;
    copy64(o, p + first);
    o += second - first;
    *o = '\r';
    o += second < 64 ? 1 : 0;
    copy64(o, p + second);
    return o + (64 - second);
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
TAV_TARGET inline char* expand8(char* o, __m128i bytes, unsigned m) {
    const __m128i order = _mm_load_si128(reinterpret_cast<const __m128i*>(kShuffle.at[m]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(bytes, order));
    return o + 8 + _mm_popcnt_u32(m);
}

// The same for any number of LFs: byte shuffles, eight input bytes at a time.
TAV_TARGET inline char* expand_dense(char* o, __m256i low, __m256i high, std::uint64_t expand) {
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

struct Chunk {
    const char* p;
    __m256i low, high;

    // The stretch copies read up to 128 bytes.
    static constexpr std::ptrdiff_t kExpandReads = 128;

    TAV_TARGET static Chunk at(const char* p) { return {p, load(p), load(p + 32)}; }
    TAV_TARGET std::uint64_t lf() const { return mask_of(low, high, '\n'); }
    TAV_TARGET std::uint64_t cr() const { return mask_of(low, high, '\r'); }
    TAV_TARGET std::uint64_t ctrl_z() const { return mask_of(low, high, kCtrlZ); }
    TAV_TARGET static void copy(char* to, const char* from) { copy64(to, from); }

    // Text has mostly no more than two line breaks in 64 bytes, which the
    // stretch copies handle fastest; denser chunks take the shuffles, at
    // about half the speed. (A loop over the line breaks, with a branch per
    // line, was faster only on text seen before, whose branches the processor
    // had learnt.)
    TAV_TARGET char* expand(char* o, std::uint64_t mask) const {
        return _mm_popcnt_u64(mask) <= kSparse ? expand_sparse(o, p, mask) : expand_dense(o, low, high, mask);
    }
};

#include "textscan_loops.h"

}  // namespace
}  // namespace avx2

const Kernels kAvx2Kernels = {avx2::scan, avx2::find_bare_lf, avx2::copy_bytes, avx2::copy_expanding};

}  // namespace tav::textscan
