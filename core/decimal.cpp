#include "decimal.h"

#include "whitespace.h"

namespace tav {

std::int32_t decimal_value(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && is_space(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Unsigned arithmetic wraps by definition; the final conversion to a
    // signed type is modular since C++20.
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

std::int32_t kilobytes_to_bytes(std::int32_t kilobytes) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(kilobytes) << 10);
}

}  // namespace tav
