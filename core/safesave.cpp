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
constexpr const char* kTemporaryMark = ".tmp";
constexpr std::size_t kTemporaryTail = 6;
constexpr std::string_view kTemporaryLetters = "abcdefghijklmnopqrstuvwxyz0123456789";

std::string temporary_name(const std::string& path, std::mt19937& rng) {
    std::string name = path + kTemporaryMark;
    for (std::size_t i = 0; i < kTemporaryTail; ++i) name += kTemporaryLetters[rng() % kTemporaryLetters.size()];
    return name;
}

// A new file beside `path`, or a closed one that says why there is none.
RawFile create_beside(const std::string& path, std::string& name) {
    std::mt19937 rng(static_cast<std::mt19937::result_type>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^ std::random_device()()));
    // Only a clash with another file is worth another name.
    RawFile file;
    for (int attempt = 0; attempt < 4; ++attempt) {
        name = temporary_name(path, rng);
        file = RawFile::create_new(name, path);
        if (file.failure() != Failure::Exists) break;
    }
    return file;
}

// Writes over the file itself, for where no other file can take its place.
// The room for the new text is set aside before any of the old is written
// over, so a full disk leaves the old text whole.
bool write_in_place(const std::string& path, std::string_view text, const StopRequest* stop) {
    RawFile file = RawFile::open_write(path, WriteMode::Overwrite);
    if (!file.is_open()) return false;
    const bool plain = file.is_regular();
    if (plain && !file.reserve(TextOutFile::disk_size(text))) return false;
    TextOutFile out(kBufferSize);
    out.stop_on(stop);
    out.open(std::move(file));
    out.write(text);
    // A plain file keeps none of the old text beyond the new one.
    const bool whole = !plain || (out.cut_here() && out.sync());
    return out.close() && whole;
}

}  // namespace

bool save_text_file(const std::string& path, std::string_view text, const StopRequest* stop) {
    const std::optional<std::string> target = follow_links(path);
    if (!target) return false;
    const std::optional<FileKind> existing = kind_of(*target);
    // A FIFO or device has no content to keep, and a rename would put a plain
    // file where it was; a second name would keep the old text.
    if (existing && (!existing->regular || existing->names > 1)) return write_in_place(*target, text, stop);
    // A file we may not write to is not replaced behind its back either.
    if (existing && !RawFile::open_write(*target, WriteMode::AtEnd).is_open()) return false;

    std::string temporary;
    RawFile created = create_beside(*target, temporary);
    // A folder that takes no new files, but lets this one be written: the
    // program could never save there otherwise. A full disk, a quota or a name
    // too long are errors like any other, and the old file stays as it is.
    if (!created.is_open())
        return existing && created.failure() == Failure::Refused && write_in_place(*target, text, stop);
    TextOutFile out(kBufferSize);
    out.open(std::move(created));
    out.write(text);
    const bool written = out.sync();
    if (out.close() && written && replace_file(temporary, *target)) {
        // A save that was killed half-way left its new file behind.
        remove_leftovers(*target + kTemporaryMark, kTemporaryTail, kTemporaryLetters);
        return true;
    }
    remove_file(temporary);
    return false;
}

}  // namespace tav
