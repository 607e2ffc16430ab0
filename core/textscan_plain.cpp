// The plain C++ path: one byte at a time, for any processor.
#include "textscan_kernels.h"

#include <cstring>

namespace tav::textscan {

namespace plain {
namespace {

const char* scan(const char* begin, const char* end, bool stop_at_ctrl_z, Census& census) {
    census = {};
    return scan_bytes(begin, end, stop_at_ctrl_z, false, census);
}

void copy_bytes(char* to, const char* from, std::size_t size) { std::memcpy(to, from, size); }

}  // namespace
}  // namespace plain

const Kernels kPlainKernels = {plain::scan, find_bare_lf_bytes, plain::copy_bytes, copy_expanding_bytes};

}  // namespace tav::textscan
