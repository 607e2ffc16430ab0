// The AVX-512 path: 64-byte chunks compared straight into bit masks; CRs are
// put in with byte expansion (VBMI2), 32 input bytes at a time.
#include "textscan_kernels.h"

#include <immintrin.h>

#include <cstdint>
#include <cstring>

#define TAV_TARGET __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi2,bmi,bmi2,popcnt")))

namespace tav::textscan {

namespace avx512 {
namespace {

// Writes the low 32 bytes of `bytes` with a CR before each one whose bit is
// set in m (64 output bytes, of which 32 plus the CRs count); returns the end
// of the output. Think of two output slots per input byte, the even one for
// its CR and the odd one for itself: the slots in use are every odd one and
// the even ones that m asks for, and packing those (pext) says which output
// bytes are input bytes.
TAV_TARGET inline char* expand32(char* o, __m512i bytes, std::uint32_t m, __m512i crs) {
    constexpr std::uint64_t kOdd = 0xAAAAAAAAAAAAAAAAULL, kEven = 0x5555555555555555ULL;
    const std::uint64_t used = _pdep_u64(m, kEven) | kOdd;
    const std::uint64_t input = _pext_u64(kOdd, used);
    _mm512_storeu_si512(o, _mm512_mask_expand_epi8(crs, input, bytes));
    return o + 32 + _mm_popcnt_u32(m);
}

struct Chunk {
    __m512i bytes;

    static constexpr std::ptrdiff_t kExpandReads = 64;

    TAV_TARGET static Chunk at(const char* p) { return {_mm512_loadu_si512(p)}; }
    TAV_TARGET std::uint64_t mask_of(char c) const { return _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(c)); }
    TAV_TARGET std::uint64_t lf() const { return mask_of('\n'); }
    TAV_TARGET std::uint64_t cr() const { return mask_of('\r'); }
    TAV_TARGET std::uint64_t ctrl_z() const { return mask_of(kCtrlZ); }
    TAV_TARGET static void copy(char* to, const char* from) { _mm512_storeu_si512(to, _mm512_loadu_si512(from)); }

    // The same work for every chunk, however many line breaks it holds, so no
    // branch to mispredict. (Copying the stretches between line breaks, with a
    // branch per line, was faster only on text seen before, whose branches
    // the processor had learnt.)
    TAV_TARGET char* expand(char* o, std::uint64_t mask) const {
        const __m512i crs = _mm512_set1_epi8('\r');
        o = expand32(o, bytes, static_cast<std::uint32_t>(mask), crs);
        // The high 256 bits moved down.
        return expand32(o, _mm512_maskz_shuffle_i64x2(0x0F, bytes, bytes, _MM_SHUFFLE(1, 0, 3, 2)),
                        static_cast<std::uint32_t>(mask >> 32), crs);
    }
};

#include "textscan_loops.h"

}  // namespace
}  // namespace avx512

const Kernels kAvx512Kernels = {avx512::scan, avx512::find_bare_lf, avx512::copy_bytes, avx512::copy_expanding};

}  // namespace tav::textscan
