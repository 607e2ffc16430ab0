// The four values the user edits, kept as typed: only a split run turns KB and
// LINES into numbers. An empty string means "not given".
#pragma once

#include <string>

namespace tav {

struct SplitSettings {
    std::string source;  // file to split
    std::string dest;    // folder that receives the pieces
    std::string kb;      // kilobytes per piece
    std::string lines;   // lines per piece

    friend bool operator==(const SplitSettings&, const SplitSettings&) = default;
};

}  // namespace tav
