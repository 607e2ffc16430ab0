// Synthetic sources for the benchmark, made from a fixed start value so that
// every run splits the same bytes.
#pragma once

#include <cstdint>
#include <string>

namespace tavbench {

enum class SourceKind {
    LfLines,    // lines of 20 to 120 characters ending in LF
    CrLfLines,  // the same lines ending in CR LF
    LongLines,  // lines of 1 to 8 MiB ending in LF
};

const char* kind_name(SourceKind kind);

// Writes exactly `size` bytes of the given kind to path (replacing it).
// False if the file cannot be written.
bool generate_source(const std::string& path, SourceKind kind, std::uint64_t size);

}  // namespace tavbench
