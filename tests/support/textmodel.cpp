#include "support/textmodel.h"

#include "piecewriter.h"

namespace tavtest {

void TextReader::feed(std::string_view disk, std::string& text) {
    for (const char c : disk) {
        if (ended_) return;
        if (c == '\x1A' && ctrl_z_ends_) {
            ended_ = true;
            break;
        }
        if (held_cr_ && c != '\n') text += '\r';
        held_cr_ = c == '\r';
        if (!held_cr_) text += c;
    }
}

void TextReader::end(std::string& text) {
    if (held_cr_) text += '\r';
    held_cr_ = false;
    ended_ = true;
}

std::string text_from_disk(std::string_view disk, bool ctrl_z_ends) {
    std::string text;
    TextReader reader(ctrl_z_ends);
    reader.feed(disk, text);
    reader.end(text);
    return text;
}

std::string disk_from_text(std::string_view text) {
    std::string disk;
    for (const char c : text) {
        if (c == '\n') disk += '\r';
        disk += c;
    }
    return disk;
}

std::int32_t decimal_model(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::string_view(" \t\n\v\f\r").find(text[i]) != std::string_view::npos) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10u + static_cast<unsigned>(text[i] - '0');
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

std::string validation_model(const tav::SplitSettings& s) {
    if (s.source.empty()) return "Please enter a source file";
    if (s.dest.empty()) return "Please enter a destination file";
    if (s.lines.empty() == s.kb.empty()) return "Please enter or select a number of lines or file size in KB";
    return "";
}

SplitOutcome split_model(const tav::SplitSettings& s, std::string_view source_bytes) {
    if (const std::string error = validation_model(s); !error.empty()) return {{{error, "Error"}}, {}};
    const std::int32_t lines = s.lines.empty() ? 0 : decimal_model(s.lines);
    const std::int32_t bytes =
        s.kb.empty() ? 0 : static_cast<std::int32_t>(static_cast<std::uint32_t>(decimal_model(s.kb)) << 10);
    SplitOutcome outcome{{{std::to_string(bytes) + " " + std::to_string(lines), "Get out"}}, {}};
    std::string piece;
    std::int64_t line_count = 0, char_count = 0;
    const auto cut = [&] {
        outcome.messages.push_back({tav::piece_path(s.dest, static_cast<std::int32_t>(outcome.pieces.size() + 1)), "Outfile"});
        outcome.pieces.push_back(disk_from_text(piece));
        piece.clear();
        line_count = char_count = 0;
    };
    for (const char c : text_from_disk(source_bytes)) {
        piece += c;
        ++char_count;
        if (c == '\n') ++line_count;
        if ((lines > 0 && line_count >= lines) || (bytes > 0 && char_count >= bytes)) cut();
    }
    cut();  // whatever is left, even nothing, is the final piece
    return outcome;
}

}  // namespace tavtest
