// The white space that the settings file and the number fields skip: space,
// tab, LF, VT, FF and CR, as C's isspace() in the "C" locale, but without its
// undefined behaviour on negative chars.
#pragma once

namespace tav {

constexpr bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace tav
