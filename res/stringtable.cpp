#include "stringtable.h"

#include "resource.h"

#include <array>
#include <utility>

namespace res {

namespace {

constexpr std::array<std::pair<int, std::string_view>, 2> kStrings{{
    {IDS_ABOUTBOX, "&About Tavendrillox..."},
    {IDS_SOCKETS_INIT_FAILED, "Windows sockets initialization failed."},
}};

}  // namespace

std::string_view load_string(int id) {
    for (const auto& [key, text] : kStrings)
        if (key == id) return text;
    return {};
}

}  // namespace res
