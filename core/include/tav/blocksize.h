// Bytes per read from a file and per write to one: large enough that system
// calls cost little, small enough to stay in the processor's cache.
#pragma once

#include <cstddef>

namespace tav {

inline constexpr std::size_t kBlockSize = 128 * 1024;

}  // namespace tav
