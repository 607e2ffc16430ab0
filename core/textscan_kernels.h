// The functions of textscan.h as each code path implements them, and the
// byte-at-a-time loops that every path uses for what its vector loop leaves.
#pragma once

#include "textscan.h"

#include <cstddef>

namespace tav::textscan {

struct Kernels {
    const char* (*scan)(const char* begin, const char* end, bool stop_at_ctrl_z, Census& census);
    const char* (*find_bare_lf)(const char* begin, const char* end, bool cr_before);
    void (*copy_bytes)(char* to, const char* from, std::size_t size);
    void (*copy_expanding)(const char*& in, const char* in_end, char*& out, const char* out_stop, bool keep_pairs,
                           bool cr_before);
};

extern const Kernels kPlainKernels;
// Each in a file of its own, built only for the processors that have it.
extern const Kernels kSse2Kernels;
extern const Kernels kAvx2Kernels;
extern const Kernels kAvx512Kernels;

// Adds [p, end) to census, stopping at a 0x1A if asked; cr_before says
// whether the byte before p is a CR of the same text. Returns where it stopped.
inline const char* scan_bytes(const char* p, const char* end, bool stop_at_ctrl_z, bool cr_before, Census& census) {
    for (; p < end; ++p) {
        const char c = *p;
        if (c == kCtrlZ && stop_at_ctrl_z) break;
        if (c == '\n') {
            ++census.lfs;
            census.pairs += cr_before ? 1 : 0;
        }
        cr_before = c == '\r';
    }
    return p;
}

inline const char* find_bare_lf_bytes(const char* p, const char* end, bool cr_before) {
    for (; p < end; ++p) {
        if (*p == '\n' && !cr_before) return p;
        cr_before = *p == '\r';
    }
    return end;
}

inline void copy_expanding_bytes(const char*& in, const char* in_end, char*& out, const char* out_stop,
                                 bool keep_pairs, bool cr_before) {
    const char* p = in;
    char* o = out;
    for (; p < in_end && o < out_stop; ++p) {
        if (*p == '\n' && !(keep_pairs && cr_before)) *o++ = '\r';
        cr_before = *p == '\r';
        *o++ = *p;
    }
    in = p;
    out = o;
}

}  // namespace tav::textscan
