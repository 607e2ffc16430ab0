#include "safesave.h"

#include "rawfile.h"
#include "textfile.h"

#include <chrono>
#include <optional>
#include <random>

namespace tav {

namespace {

constexpr std::size_t kBufferSize = 4096;

// A name beside `path` that nobody is likely to use: path.tmpXXXXXX.
std::string temporary_name(const std::string& path, std::mt19937& rng) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = path + ".tmp";
    for (int i = 0; i < 6; ++i) name += kLetters[rng() % (sizeof kLetters - 1)];
    return name;
}

// A new file beside `path`, or a closed one if the folder takes none.
RawFile create_beside(const std::string& path, std::string& name) {
    std::mt19937 rng(static_cast<std::mt19937::result_type>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^ std::random_device()()));
    // A clash with another file is retried; a folder we may not write to
    // fails every time.
    for (int attempt = 0; attempt < 4; ++attempt) {
        name = temporary_name(path, rng);
        RawFile file = RawFile::create_new(name, path);
        if (file.is_open()) return file;
    }
    return RawFile();
}

bool write_in_place(const std::string& path, std::string_view text) {
    TextOutFile out(kBufferSize);
    if (!out.open(path, WriteMode::Truncate)) return false;
    out.write(text);
    return out.close();
}

}  // namespace

bool save_text_file(const std::string& path, std::string_view text) {
    const std::optional<std::string> target = follow_links(path);
    if (!target) return false;
    const std::optional<FileFacts> facts = facts_of(*target);
    // A FIFO or device has no content to keep, and a rename would put a plain
    // file where it was; a second name would keep the old text.
    if (facts && (!facts->regular || facts->names > 1)) return write_in_place(*target, text);
    // A file we may not write to is not replaced behind its back either.
    if (facts && !RawFile::open_write(*target, WriteMode::AtEnd).is_open()) return false;

    std::string temporary;
    TextOutFile out(kBufferSize);
    if (!out.open(create_beside(*target, temporary))) return write_in_place(*target, text);
    out.write(text);
    const bool written = out.sync();
    if (out.close() && written && replace_file(temporary, *target)) return true;
    remove_file(temporary);
    return false;
}

}  // namespace tav
