// The program's string table: user-visible texts looked up by their ids.
#pragma once

#include <string_view>

namespace res {

// The text of string `id`, or an empty view when the table has no such entry.
std::string_view load_string(int id);

}  // namespace res
