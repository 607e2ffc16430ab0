// Calls the tests and fuzz targets drive the text streams with, beside the
// ones the program itself makes, built on those.
#pragma once

#include "textfile.h"

#include <string_view>

namespace tavtest {

// Every translated character of the stream's next block, valid until the
// next call on it; empty only at the end of input, with eof and fail set.
std::string_view read_block(tav::TextInFile& in);

// Whether the stream's end-of-file flag is set, which the program itself
// never looks at on its own.
bool at_eof(const tav::StreamState& stream);

// Appends one character, as write() of that character would.
inline tav::TextOutFile& put(tav::TextOutFile& out, char ch) { return out.write(std::string_view(&ch, 1)); }

}  // namespace tavtest
