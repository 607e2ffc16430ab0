// The text-mode rules and the cut rule written out the slow, obvious way,
// one character at a time: the one model that the tests, the fuzz targets
// and the benchmark's check hold the real streams and split run against.
#pragma once

#include "support/recordingsink.h"
#include "tav/splitsettings.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavtest {

// Reads disk bytes as text, in pieces of any size: CR LF becomes LF, a lone
// CR stays, and the first 0x1A ends everything (unless ctrl_z_ends is false,
// for a stream told to keep it as data).
class TextReader {
public:
    explicit TextReader(bool ctrl_z_ends = true) : ctrl_z_ends_(ctrl_z_ends) {}
    // Appends the characters of the next disk bytes to `text`.
    void feed(std::string_view disk, std::string& text);
    // Appends what the end of the disk bytes decides (a CR held back).
    void end(std::string& text);

private:
    bool ctrl_z_ends_;
    bool held_cr_ = false;
    bool ended_ = false;
};

// The characters a program sees when it reads `disk` as text.
std::string text_from_disk(std::string_view disk, bool ctrl_z_ends = true);
// The bytes that writing `text` puts on disk: each LF becomes CR LF.
std::string disk_from_text(std::string_view text);

// LINES or KB as a number: atoi with 32-bit wrap-around.
std::int32_t decimal_model(std::string_view text);
// The first check a run fails, as its message, or "" when the values can run.
std::string validation_model(const tav::SplitSettings& s);

// What a run of these values on a source with these bytes shows and writes:
// the messages, and each piece's bytes on disk, from piece 1.
struct SplitOutcome {
    std::vector<Message> messages;
    std::vector<std::string> pieces;
};
SplitOutcome split_model(const tav::SplitSettings& s, std::string_view source_bytes);

}  // namespace tavtest
