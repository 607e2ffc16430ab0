// The AVX-512 path: 64-byte chunks compared straight into bit masks; CRs are
// put in with byte expansion (VBMI2), 32 input bytes at a time.
// Only the functions marked TAV_AVX512 use these instructions, so the rest of
// the program still runs on any x86-64 processor.
#include "textscan_kernels.h"

#include <immintrin.h>

#include <cstdint>
#include <cstring>

#define TAV_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi2,bmi,bmi2,popcnt")))

namespace tav::textscan {

namespace avx512 {
namespace {

constexpr std::size_t kChunk = 64;

TAV_AVX512 inline __m512i load(const char* p) { return _mm512_loadu_si512(p); }

TAV_AVX512 inline std::uint64_t mask_of(__m512i bytes, char c) {
    return _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(c));
}

TAV_AVX512 inline std::size_t ones(std::uint64_t m) { return static_cast<std::size_t>(_mm_popcnt_u64(m)); }

TAV_AVX512 const char* scan(const char* begin, const char* end, bool stop_at_ctrl_z, Census& census) {
    std::size_t lfs = 0, pairs = 0;
    std::uint64_t cr_carry = 0;  // 1 when the byte before the chunk is a CR
    const char* p = begin;
    for (; end - p >= static_cast<std::ptrdiff_t>(kChunk); p += kChunk) {
        const __m512i bytes = load(p);
        std::uint64_t lf = mask_of(bytes, '\n');
        const std::uint64_t cr = mask_of(bytes, '\r');
        if (stop_at_ctrl_z) {
            if (const std::uint64_t ctrl_z = mask_of(bytes, kCtrlZ)) {
                lf &= _blsmsk_u64(ctrl_z) >> 1;  // only what lies before the first 0x1A
                census = {lfs + ones(lf), pairs + ones(lf & (cr << 1 | cr_carry))};
                return p + _tzcnt_u64(ctrl_z);
            }
        }
        lfs += ones(lf);
        pairs += ones(lf & (cr << 1 | cr_carry));
        cr_carry = cr >> 63;
    }
    census = {lfs, pairs};
    return scan_bytes(p, end, stop_at_ctrl_z, cr_carry != 0, census);
}

TAV_AVX512 const char* find_bare_lf(const char* begin, const char* end, bool cr_before) {
    std::uint64_t cr_carry = cr_before ? 1 : 0;
    const char* p = begin;
    for (; end - p >= static_cast<std::ptrdiff_t>(kChunk); p += kChunk) {
        const __m512i bytes = load(p);
        const std::uint64_t cr = mask_of(bytes, '\r');
        if (const std::uint64_t bare = mask_of(bytes, '\n') & ~(cr << 1 | cr_carry)) return p + _tzcnt_u64(bare);
        cr_carry = cr >> 63;
    }
    return find_bare_lf_bytes(p, end, cr_carry != 0);
}

TAV_AVX512 void copy_bytes(char* to, const char* from, std::size_t size) {
    for (; size >= kChunk; size -= kChunk, to += kChunk, from += kChunk) _mm512_storeu_si512(to, load(from));
    std::memcpy(to, from, size);
}

// Writes the low 32 bytes of `bytes` with a CR before each one whose bit is
// set in m (64 output bytes, of which 32 plus the CRs count); returns the end
// of the output. Think of two output slots per input byte, the even one for
// its CR and the odd one for itself: the slots in use are every odd one and
// the even ones that m asks for, and packing those (pext) says which output
// bytes are input bytes.
TAV_AVX512 inline char* expand32(char* o, __m512i bytes, std::uint32_t m, __m512i crs) {
    constexpr std::uint64_t kOdd = 0xAAAAAAAAAAAAAAAAULL, kEven = 0x5555555555555555ULL;
    const std::uint64_t used = _pdep_u64(m, kEven) | kOdd;
    const std::uint64_t input = _pext_u64(kOdd, used);
    _mm512_storeu_si512(o, _mm512_mask_expand_epi8(crs, input, bytes));
    return o + 32 + _mm_popcnt_u32(m);
}

// The 64 bytes with a CR before each LF in `expand`: the same work for every
// chunk, however many line breaks it holds, so no branch to mispredict.
// (Copying the stretches between line breaks, with a branch per line, was
// faster only on text seen before, whose branches the processor had learnt.)
TAV_AVX512 inline char* expand64(char* o, __m512i bytes, std::uint64_t expand) {
    const __m512i crs = _mm512_set1_epi8('\r');
    o = expand32(o, bytes, static_cast<std::uint32_t>(expand), crs);
    // The high 256 bits moved down.
    return expand32(o, _mm512_maskz_shuffle_i64x2(0x0F, bytes, bytes, _MM_SHUFFLE(1, 0, 3, 2)),
                    static_cast<std::uint32_t>(expand >> 32), crs);
}

// 64 bytes at a time; writes up to 128 bytes beyond `o`, hence the output
// slack.
TAV_AVX512 void copy_expanding(const char*& in, const char* in_end, char*& out, const char* out_stop,
                               bool keep_pairs, bool cr_before) {
    const char* p = in;
    char* o = out;
    std::uint64_t cr_carry = cr_before ? 1 : 0;
    while (in_end - p >= static_cast<std::ptrdiff_t>(kChunk) && o < out_stop) {
        const __m512i bytes = load(p);
        std::uint64_t expand = mask_of(bytes, '\n');
        if (keep_pairs) {
            const std::uint64_t cr = mask_of(bytes, '\r');
            expand &= ~(cr << 1 | cr_carry);
            cr_carry = cr >> 63;
        }
        o = expand64(o, bytes, expand);
        p += kChunk;
    }
    in = p;
    out = o;
    copy_expanding_bytes(in, in_end, out, out_stop, keep_pairs, cr_carry != 0);
}

}  // namespace
}  // namespace avx512

const Kernels kAvx512Kernels = {avx512::scan, avx512::find_bare_lf, avx512::copy_bytes, avx512::copy_expanding};

}  // namespace tav::textscan
