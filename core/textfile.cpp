#include "textfile.h"

#include "textscan.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace tav {

namespace {

// A stretch with no LF to expand that is at least this long is copied with
// memcpy; a shorter one goes through the expanding copy with what follows.
constexpr std::size_t kMinPlainStretch = 256;

}  // namespace

void AlignedDelete::operator()(char* p) const { ::operator delete[](p, std::align_val_t{kPage}); }

std::unique_ptr<char[], AlignedDelete> allocate_page_aligned(std::size_t size) {
    return std::unique_ptr<char[], AlignedDelete>(
        static_cast<char*>(::operator new[](size, std::align_val_t{kPage})));
}

RawBlock RawBlock::of(std::string_view text) {
    RawBlock block{text, {}};
    textscan::scan(text.data(), text.data() + text.size(), false, block.census);
    return block;
}

// ---------------------------------------------------------------- TextInFile

TextInFile::TextInFile(std::size_t buffer_size)
    : capacity_(std::max<std::size_t>(buffer_size, 1)), buffer_(allocate_page_aligned(kPage + capacity_)) {}

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

// Reads the next bytes of the file to `into`: their count, or 0 once the input
// has ended (at the end of the file, a read error or a stop).
std::ptrdiff_t TextInFile::read_into(char* into) {
    if (ended_ || !file_.is_open()) return 0;
    std::ptrdiff_t n = file_.read(into, capacity_, stop_);
    if (n == 0 && look_again_ && !file_.is_char_device()) {
        look_again_();
        n = file_.read(into, capacity_, stop_);
    }
    if (n > 0) return n;
    ended_ = true;
    read_error_ = n == -1;
    return 0;
}

bool TextInFile::refill() {
    const std::ptrdiff_t n = read_into(buffer_.get() + kPage);
    if (n == 0) return false;
    pos_ = kPage;
    fill_ = kPage + static_cast<std::size_t>(n);
    return true;
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
        if (c == textscan::kCtrlZ && ctrl_z_ends()) {
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

RawBlock TextInFile::end_of_input(char* at) {
    if (held_cr_) {
        held_cr_ = false;
        *at = '\r';
        return {{at, 1}, {}};
    }
    flags_ |= kEof | kFail;
    return {};
}

// The raw block of bytes just read to [begin, end), with a byte of room
// before begin: ends at a 0x1A, puts a CR held back from the previous block
// in front and holds back a final CR. Empty when nothing is left of them.
RawBlock TextInFile::raw_block(char* begin, char* end) {
    textscan::Census census;
    if (char* const stop = const_cast<char*>(textscan::scan(begin, end, ctrl_z_ends(), census)); stop != end) {
        end = stop;  // at a 0x1A
        ended_ = true;
    }
    if (held_cr_) {
        held_cr_ = false;
        *--begin = '\r';
        if (end - begin > 1 && begin[1] == '\n') ++census.pairs;
    }
    // Whether a final CR pairs with an LF depends on the next block.
    if (end != begin && end[-1] == '\r' && !ended_) {
        --end;
        held_cr_ = true;
    }
    return {{begin, static_cast<std::size_t>(end - begin)}, census};
}

RawBlock TextInFile::read_raw_block() {
    if (!good()) {
        flags_ |= kFail;
        return {};
    }
    for (;;) {
        if (pos_ == fill_ && !refill()) return end_of_input(buffer_.get());
        // The block was read in after the slack page: there is room for a held CR.
        char* const begin = buffer_.get() + pos_;
        char* const end = buffer_.get() + fill_;
        pos_ = fill_;
        if (const RawBlock block = raw_block(begin, end); !block.text.empty()) return block;
    }
}

RawBlock TextInFile::read_raw_block_into(char* into) {
    if (!good()) {
        flags_ |= kFail;
        return {};
    }
    for (;;) {
        const std::ptrdiff_t n = read_into(into);
        if (n == 0) return end_of_input(into);
        if (const RawBlock block = raw_block(into, into + n); !block.text.empty()) return block;
    }
}

bool TextInFile::close() {
    const bool ok = file_.is_open() && file_.close();
    flags_ = ok ? 0 : (flags_ | kFail);
    return ok;
}

// --------------------------------------------------------------- TextOutFile

TextOutFile::TextOutFile(std::size_t buffer_size)
    : capacity_(std::max<std::size_t>(buffer_size, 2)),
      buffer_(allocate_page_aligned(capacity_ + textscan::kExpandSlack)) {}

TextOutFile::~TextOutFile() {
    if (file_.is_open()) {
        flush();
        file_.close();
    }
}

bool TextOutFile::open(const std::string& path, WriteMode mode, const WriteCheck& check) {
    if (file_.is_open()) {
        flags_ |= kFail;
        return false;
    }
    return open(RawFile::open_write(path, mode, check));
}

bool TextOutFile::open(RawFile file) {
    if (file_.is_open()) {
        flags_ |= kFail;
        return false;
    }
    fill_ = 0;
    written_ = 0;
    file_ = std::move(file);
    flags_ = file_.is_open() ? 0 : kFail;
    return good();
}

bool TextOutFile::flush() {
    if (fill_ == 0) return true;
    const bool ok = good() && file_.write_all(buffer_.get(), fill_, stop_);
    written_ += fill_;
    fill_ = 0;
    if (!ok) flags_ |= kFail | kBad;
    return ok;
}

// Writes every whole buffer's worth, keeping the few bytes the copy loop put
// beyond the capacity for the next write, so that each write is a whole
// buffer at a whole buffer's place in the file: the system then keeps the
// file's pages in large pieces, which a third of the time of a split rests on.
void TextOutFile::flush_full() {
    if (fill_ < capacity_) return;
    const std::size_t whole = fill_ - fill_ % capacity_;
    if (!(good() && file_.write_all(buffer_.get(), whole, stop_))) flags_ |= kFail | kBad;
    written_ += whole;
    fill_ -= whole;
    std::memmove(buffer_.get(), buffer_.get() + whole, fill_);
}

// How much of [data, data + size) can go straight to the file, whole
// buffers' worth as the buffer would write them: from a whole buffer's place
// in the file with nothing buffered, and only from memory in step with the
// file's pages (the system copies memory out of step with them far slower
// than we do). 0 when none can.
std::size_t TextOutFile::direct_size(const char* data, std::size_t size) const {
    // Whole pages, or whole buffers when they are smaller (as in tests).
    const std::size_t unit = std::min(kPage, capacity_);
    if (fill_ != 0 || written_ % capacity_ != 0 || size < capacity_ ||
        (reinterpret_cast<std::uintptr_t>(data) - written_) % unit != 0)
        return 0;
    return size - size % capacity_;
}

void TextOutFile::append_bytes(const char* data, std::size_t size) {
    while (size > 0 && good()) {
        if (const std::size_t direct = direct_size(data, size)) {
            if (!file_.write_all(data, direct, stop_)) flags_ |= kFail | kBad;
            written_ += direct;
            data += direct;
            size -= direct;
            continue;
        }
        const std::size_t n = std::min(size, capacity_ - fill_);
        textscan::copy_bytes(buffer_.get() + fill_, data, n);
        fill_ += n;
        data += n;
        size -= n;
        flush_full();
    }
}

// Writes text with each LF that needs it expanded to CR LF. Long stretches
// with nothing to expand go straight to the file where they can (see
// direct_size()).
void TextOutFile::append_expanding(std::string_view text, Expand expand) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    while (p < end && good()) {
        const bool cr_before = expand == Expand::BareLf && p > begin && p[-1] == '\r';
        const char* next = end;
        if (expand == Expand::BareLf) {
            next = textscan::find_bare_lf(p, end, cr_before);
        } else if (expand == Expand::EveryLf) {
            next = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            if (next == nullptr) next = end;
        }
        const auto plain = static_cast<std::size_t>(next - p);
        if (plain >= kMinPlainStretch || next == end) {
            // Nothing to expand for a while: a plain copy is fastest.
            append_bytes(p, plain);
            p = next;
            continue;
        }
        char* out = buffer_.get() + fill_;
        textscan::copy_expanding(p, end, out, buffer_.get() + capacity_, expand == Expand::BareLf, cr_before);
        fill_ = static_cast<std::size_t>(out - buffer_.get());
        flush_full();
    }
}

TextOutFile& TextOutFile::write(std::string_view text) {
    if (!good()) {
        flags_ |= kFail;
        return *this;
    }
    append_expanding(text, Expand::EveryLf);
    return *this;
}

TextOutFile& TextOutFile::write_raw(const RawBlock& block) {
    if (!good()) {
        flags_ |= kFail;
        return *this;
    }
    // Without pairs every LF is bare, and the simpler expansion does.
    const textscan::Census& c = block.census;
    append_expanding(block.text, c.bare() == 0 ? Expand::None : c.pairs == 0 ? Expand::EveryLf : Expand::BareLf);
    return *this;
}

std::uint64_t TextOutFile::disk_size(std::string_view text) {
    return text.size() + static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
}

bool TextOutFile::cut_here() {
    if (!(flush() && good() && file_.cut(written_))) flags_ |= kFail | kBad;
    return good();
}

bool TextOutFile::sync() {
    if (!(flush() && good() && file_.sync())) flags_ |= kFail | kBad;
    return good();
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
