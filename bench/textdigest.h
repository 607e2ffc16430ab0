// Fingerprints of text as the program reads it (after the text-mode
// translation), to check that the pieces of a split hold exactly the source.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavbench {

// A 64-bit hash of a character stream that does not depend on how the
// stream is cut into blocks, plus its length.
class TextDigest {
public:
    void add(std::string_view text);
    std::uint64_t value() const;
    std::uint64_t length() const { return length_; }
    friend bool operator==(const TextDigest& a, const TextDigest& b) {
        return a.length_ == b.length_ && a.value() == b.value();
    }

private:
    void mix(std::uint64_t word);

    std::uint64_t state_ = 0x243F6A8885A308D3ULL;
    std::uint64_t length_ = 0;
    unsigned char pending_[8] = {};
    std::size_t pending_size_ = 0;
};

// Digest of the file read through the text-mode rules; nothing if it cannot be opened.
std::optional<TextDigest> digest_file(const std::string& path);

// Digest of tavendrillox1.txt, tavendrillox2.txt, ... in `folder`, each read
// through the text-mode rules, one after the other; `pieces` gets their number.
TextDigest digest_pieces(const std::string& folder, int& pieces);

}  // namespace tavbench
