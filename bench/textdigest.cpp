#include "textdigest.h"

#include "chunkwriter.h"
#include "textfile.h"

#include <algorithm>
#include <cstring>

namespace tavbench {

namespace {

bool add_file(const std::string& path, TextDigest& digest) {
    tav::TextInFile in;
    if (!in.open_existing(path)) return false;
    for (std::string_view block = in.read_block(); !block.empty(); block = in.read_block()) digest.add(block);
    in.close();
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
