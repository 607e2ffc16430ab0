#include "datagen.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace tavbench {

namespace {

// xorshift64*: fast, and good enough to vary line lengths and content.
class Random {
public:
    explicit Random(std::uint64_t start) : state_(start) {}
    std::uint64_t next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1DULL;
    }
    // Uniform enough in [low, high].
    std::uint64_t between(std::uint64_t low, std::uint64_t high) { return low + next() % (high - low + 1); }

private:
    std::uint64_t state_;
};

constexpr std::size_t kPatternSize = 64 * 1024;
constexpr std::size_t kOutputSize = 1024 * 1024;

// Printable text without line breaks, from which line bodies are cut.
std::vector<char> make_pattern(Random& random) {
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789 .,;:-_()";
    std::vector<char> pattern(kPatternSize);
    for (char& c : pattern) c = kAlphabet[random.next() % (sizeof kAlphabet - 1)];
    return pattern;
}

}  // namespace

const char* kind_name(SourceKind kind) {
    switch (kind) {
        case SourceKind::LfLines: return "LF lines";
        case SourceKind::CrLfLines: return "CR LF lines";
        case SourceKind::LongLines: return "long lines";
    }
    return "?";
}

bool generate_source(const std::string& path, SourceKind kind, std::uint64_t size) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!out) return false;
    Random random(0x7A5E11D5ULL);
    const std::vector<char> pattern = make_pattern(random);
    std::vector<char> buffer;
    buffer.reserve(kOutputSize + 256);
    std::uint64_t written = 0;
    std::uint64_t line_left = 0;  // body bytes still owed to the current line (long lines only)
    bool ok = true;
    while (ok && written < size) {
        buffer.clear();
        while (buffer.size() < kOutputSize) {
            std::size_t body;
            bool ends_line = true;
            if (kind == SourceKind::LongLines) {
                if (line_left == 0) line_left = random.between(1 << 20, 8 << 20);
                body = static_cast<std::size_t>(std::min<std::uint64_t>(line_left, kPatternSize / 2));
                line_left -= body;
                ends_line = line_left == 0;
            } else {
                body = static_cast<std::size_t>(random.between(20, 120));
            }
            const std::size_t from = static_cast<std::size_t>(random.next() % (kPatternSize - body));
            buffer.insert(buffer.end(), pattern.begin() + static_cast<std::ptrdiff_t>(from),
                          pattern.begin() + static_cast<std::ptrdiff_t>(from + body));
            if (ends_line) {
                if (kind == SourceKind::CrLfLines) buffer.push_back('\r');
                buffer.push_back('\n');
            }
        }
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - written));
        ok = std::fwrite(buffer.data(), 1, n, out.get()) == n;
        written += n;
    }
    return std::fflush(out.get()) == 0 && ok;
}

}  // namespace tavbench
