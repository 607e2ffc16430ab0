#include "textfile.h"

#include <algorithm>
#include <cstring>

namespace tav {

namespace {

constexpr char kCtrlZ = 0x1A;

}  // namespace

// ---------------------------------------------------------------- TextInFile

TextInFile::TextInFile(std::size_t buffer_size)
    : capacity_(std::max<std::size_t>(buffer_size, 1)),
      buffer_(new char[capacity_ + 1]) {}

bool TextInFile::open(const std::string& path) { return open_with(path, true); }

bool TextInFile::open_existing(const std::string& path) { return open_with(path, false); }

bool TextInFile::open_with(const std::string& path, bool create_missing) {
    if (file_.is_open()) {
        flags_ |= kFail;
        return false;
    }
    file_ = RawFile::open_read(path, create_missing);
    if (!file_.is_open()) flags_ |= kFail;
    return good();
}

bool TextInFile::refill() {
    if (ended_ || !file_.is_open()) return false;
    const std::ptrdiff_t n = file_.read(buffer_.get() + 1, capacity_);
    if (n > 0) {
        pos_ = 1;
        fill_ = 1 + static_cast<std::size_t>(n);
        return true;
    }
    ended_ = true;
    read_error_ = n < 0;
    return false;
}

TextInFile& TextInFile::get(char& ch) {
    if (!good()) {
        flags_ |= kFail;
        return *this;
    }
    for (;;) {
        if (pos_ == fill_ && !refill()) {
            if (held_cr_) {
                held_cr_ = false;
                ch = '\r';
            } else {
                flags_ |= kEof | kFail;
            }
            return *this;
        }
        const char c = buffer_[pos_];
        if (c == kCtrlZ && ctrl_z_ends()) {
            ended_ = true;
            fill_ = pos_;
            continue;
        }
        if (held_cr_) {
            held_cr_ = false;
            if (c == '\n') ++pos_;
            ch = c == '\n' ? '\n' : '\r';
            return *this;
        }
        ++pos_;
        if (c == '\r') {
            held_cr_ = true;
            continue;
        }
        ch = c;
        return *this;
    }
}

std::string_view TextInFile::end_of_input() {
    if (held_cr_) {
        held_cr_ = false;
        buffer_[0] = '\r';
        return {buffer_.get(), 1};
    }
    flags_ |= kEof | kFail;
    return {};
}

// Drops each CR that is followed by LF in [begin, end), in place, and returns
// the new end. A CR in the last position is held back unless the input ended.
char* TextInFile::translate_crlf(char* begin, char* end) {
    auto* cr = static_cast<char*>(std::memchr(begin, '\r', static_cast<std::size_t>(end - begin)));
    if (cr == nullptr) return end;
    char* out = cr;
    for (char* p = cr;;) {
        // p is at a CR.
        if (p + 1 == end) {
            if (ended_)
                *out++ = '\r';
            else
                held_cr_ = true;
            return out;
        }
        if (p[1] == '\n') ++p;
        auto* next = static_cast<char*>(std::memchr(p + 1, '\r', static_cast<std::size_t>(end - p - 1)));
        char* stop = next != nullptr ? next : end;
        const auto n = static_cast<std::size_t>(stop - p);
        if (out != p) std::memmove(out, p, n);
        out += n;
        if (next == nullptr) return out;
        p = next;
    }
}

std::string_view TextInFile::read_block() {
    if (!good()) {
        flags_ |= kFail;
        return {};
    }
    for (;;) {
        if (pos_ == fill_ && !refill()) return end_of_input();
        char* begin = buffer_.get() + pos_;
        char* end = buffer_.get() + fill_;
        pos_ = fill_;
        if (ctrl_z_ends()) {
            if (auto* z = static_cast<char*>(std::memchr(begin, kCtrlZ, static_cast<std::size_t>(end - begin)))) {
                end = z;
                ended_ = true;
                fill_ = pos_ = static_cast<std::size_t>(z - buffer_.get());
            }
        }
        char* const scan_from = begin;
        if (held_cr_) {
            held_cr_ = false;
            // pos_ was at least 1 here, so there is room in front.
            if (begin == end || *begin != '\n') *--begin = '\r';
        }
        end = translate_crlf(scan_from, end);
        if (end != begin) return {begin, static_cast<std::size_t>(end - begin)};
    }
}

bool TextInFile::close() {
    const bool ok = file_.is_open() && file_.close();
    flags_ = ok ? 0 : (flags_ | kFail);
    return ok;
}

// --------------------------------------------------------------- TextOutFile

TextOutFile::TextOutFile(std::size_t buffer_size)
    : capacity_(std::max<std::size_t>(buffer_size, 2)), buffer_(new char[capacity_]) {}

TextOutFile::~TextOutFile() {
    if (file_.is_open()) {
        flush();
        file_.close();
    }
}

bool TextOutFile::open(const std::string& path, WriteMode mode) {
    if (file_.is_open()) {
        flags_ |= kFail;
        return false;
    }
    file_ = RawFile::open_write(path, mode);
    if (!file_.is_open()) flags_ |= kFail;
    return good();
}

bool TextOutFile::flush() {
    if (fill_ == 0) return true;
    const bool ok = good() && file_.write_all(buffer_.get(), fill_);
    fill_ = 0;
    if (!ok) flags_ |= kFail | kBad;
    return ok;
}

void TextOutFile::append_raw(const char* data, std::size_t size) {
    while (size > 0 && good()) {
        if (fill_ == 0 && size >= capacity_) {
            // Long runs without a line break go straight to the file.
            if (!file_.write_all(data, size)) flags_ |= kFail | kBad;
            return;
        }
        const std::size_t n = std::min(size, capacity_ - fill_);
        std::memcpy(buffer_.get() + fill_, data, n);
        fill_ += n;
        data += n;
        size -= n;
        if (fill_ == capacity_) flush();
    }
}

TextOutFile& TextOutFile::put(char ch) {
    if (!good()) {
        flags_ |= kFail;
        return *this;
    }
    if (ch == '\n')
        append_raw("\r\n", 2);
    else
        append_raw(&ch, 1);
    return *this;
}

TextOutFile& TextOutFile::write(std::string_view text) {
    if (!good()) {
        flags_ |= kFail;
        return *this;
    }
    while (!text.empty() && good()) {
        const auto* lf = static_cast<const char*>(std::memchr(text.data(), '\n', text.size()));
        const std::size_t span = lf != nullptr ? static_cast<std::size_t>(lf - text.data()) : text.size();
        append_raw(text.data(), span);
        if (lf == nullptr) break;
        append_raw("\r\n", 2);
        text.remove_prefix(span + 1);
    }
    return *this;
}

bool TextOutFile::close() {
    if (!file_.is_open()) {
        flags_ |= kFail;
        return false;
    }
    const bool written = flush() && good();
    const bool closed = file_.close();
    flags_ = closed ? 0 : (flags_ | kFail);
    return written && closed;
}

}  // namespace tav
