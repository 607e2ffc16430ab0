// Decimal conversion for the LINES and KB fields, as forgiving as C's atoi but
// without undefined behaviour: leading white space is skipped, one optional
// sign is taken, digits are read up to the first non-digit, and the value
// wraps around modulo 2^32. No digits give 0; trailing text is ignored.
#pragma once

#include <cstdint>
#include <string_view>

namespace tav {

std::int32_t decimal_value(std::string_view text);

// kilobytes x 1024, wrapping around in 32 bits like the conversion itself.
std::int32_t kilobytes_to_bytes(std::int32_t kilobytes);

}  // namespace tav
