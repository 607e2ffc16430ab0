#include "textdigest.h"

#include "piecewriter.h"
#include "support/textmodel.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

namespace tavbench {

namespace {

// Read through the tests' own model of the text-mode rules, not the streams
// under test.
bool add_file(const std::string& path, TextDigest& digest) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    tavtest::TextReader reader;
    std::vector<char> bytes(1 << 20);
    std::string text;
    while (in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())) || in.gcount() > 0) {
        text.clear();
        reader.feed({bytes.data(), static_cast<std::size_t>(in.gcount())}, text);
        digest.add(text);
    }
    text.clear();
    reader.end(text);
    digest.add(text);
    return true;
}

}  // namespace

void TextDigest::mix(std::uint64_t word) {
    state_ ^= word;
    state_ = (state_ << 29 | state_ >> 35) * 0x9E3779B97F4A7C15ULL;
}

void TextDigest::add(std::string_view text) {
    length_ += text.size();
    const char* p = text.data();
    std::size_t n = text.size();
    if (pending_size_ != 0) {
        const std::size_t take = std::min(n, sizeof pending_ - pending_size_);
        std::memcpy(pending_ + pending_size_, p, take);
        pending_size_ += take;
        p += take;
        n -= take;
        if (pending_size_ == sizeof pending_) {
            std::uint64_t word;
            std::memcpy(&word, pending_, 8);
            mix(word);
            pending_size_ = 0;
        }
    }
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        mix(word);
    }
    std::memcpy(pending_, p, n);
    pending_size_ += n;
}

std::uint64_t TextDigest::value() const {
    TextDigest copy = *this;
    std::uint64_t word = 0;
    std::memcpy(&word, copy.pending_, copy.pending_size_);
    copy.mix(word);
    copy.mix(length_);
    return copy.state_;
}

std::optional<TextDigest> digest_file(const std::string& path) {
    TextDigest digest;
    if (!add_file(path, digest)) return std::nullopt;
    return digest;
}

TextDigest digest_pieces(const std::string& folder, int& pieces) {
    TextDigest digest;
    pieces = 0;
    while (add_file(tav::piece_path(folder, pieces + 1), digest)) ++pieces;
    return digest;
}

}  // namespace tavbench
