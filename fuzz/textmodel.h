// The text-mode rules written out the slow, obvious way, one byte at a time,
// so that the fuzz targets can hold the real streams against them.
#pragma once

#include <string>
#include <string_view>

namespace tavfuzz {

// The characters a program sees when it reads `disk` as text: CR LF becomes
// LF, a lone CR stays, the first 0x1A ends everything (unless ctrl_z_ends is
// false, for a stream told to keep it as data).
inline std::string text_from_disk(std::string_view disk, bool ctrl_z_ends = true) {
    std::string text;
    for (std::size_t i = 0; i < disk.size(); ++i) {
        const char c = disk[i];
        if (c == '\x1A' && ctrl_z_ends) break;
        if (c == '\r' && i + 1 < disk.size() && disk[i + 1] == '\n') continue;
        text += c;
    }
    return text;
}

// The bytes that writing `text` puts on disk: each LF becomes CR LF.
inline std::string disk_from_text(std::string_view text) {
    std::string disk;
    for (const char c : text) {
        if (c == '\n') disk += '\r';
        disk += c;
    }
    return disk;
}

}  // namespace tavfuzz
