// Text-mode file streams. The program's view of text has one LF per line
// break; on disk a line break is CR LF. The streams translate between the two
// themselves, identically on every platform:
//   reading: CR LF -> LF (also across buffer boundaries), a lone CR is kept,
//            the first 0x1A ends the input (except on character devices),
//            every other byte, 0x00 included, passes unchanged;
//   writing: LF -> CR LF, every other byte unchanged.
#pragma once

#include "rawfile.h"
#include "tav/blocksize.h"
#include "textscan.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

class StopRequest;

// The iostream-like state shared by both streams: end-of-file, fail and bad.
// A stream is usable while no flag is set; callers test fail() and bad(),
// never the end-of-file flag on its own.
class StreamState {
public:
    bool good() const { return flags_ == 0; }
    bool fail() const { return (flags_ & kFail) != 0; }
    bool bad() const { return (flags_ & kBad) != 0; }

protected:
    static constexpr unsigned kEof = 1, kFail = 2, kBad = 4;
    unsigned flags_ = 0;

private:
    // Tests look at the end-of-file flag too, through tavtest::at_eof()
    // (tests/support/textstreams.h).
    friend struct StreamProbe;
};

// A block of raw text (see textscan.h) with its census, taken in the same
// pass that looked for the 0x1A ending the input.
struct RawBlock {
    std::string_view text;
    textscan::Census census;

    // A block of any raw text, counted in a pass of its own.
    static RawBlock of(std::string_view text);
};

// Buffers start on a page boundary: the kernel copies whole pages fastest.
inline constexpr std::size_t kPage = 4096;

// Frees the streams' page-aligned buffers.
struct AlignedDelete {
    void operator()(char* p) const;
};
std::unique_ptr<char[], AlignedDelete> allocate_page_aligned(std::size_t size);

class TextInFile : public StreamState {
public:
    // buffer_size is the size of each read from the file (at least 1).
    explicit TextInFile(std::size_t buffer_size = kBlockSize);

    // Opens for reading; a missing file is created empty first. Sets fail if
    // the file can neither be opened nor created. Returns good().
    bool open(const std::string& path);
    // Opens for reading, never creating anything. Sets fail on any error.
    bool open_existing(const std::string& path);

    // Delivers the next translated character. At the end of input, after a
    // read error, or on a stream that already has a flag set, sets eof and
    // fail (just fail for the last case) and leaves ch unchanged.
    TextInFile& get(char& ch);

    // Whether a 0x1A byte ends the input (the default). A file that only this
    // program writes back and reads again turns it off, so that a value that
    // happens to hold a 0x1A does not hide everything after it.
    void set_ctrl_z_ends_input(bool ends) { ctrl_z_ends_input_ = ends; }

    // Every character of the next block, as raw text (see textscan.h): a CR LF
    // pair is left as it is on disk and stands for one LF. No pair is split
    // between two blocks. Empty only at the end of input, with eof and fail
    // set as get() would. Hand it to TextOutFile::write_raw() to copy text
    // through.
    RawBlock read_raw_block();
    // The same, read into `into` instead of the stream's own buffer: room for
    // the buffer size there, and one byte before it for a CR held back from
    // the previous block. The block lies in [into - 1, into + buffer size),
    // or is a lone CR at `into`. Not to be mixed with get() or read_raw_block().
    RawBlock read_raw_block_into(char* into);

    // True once a read from the file has failed (rather than reached its end).
    // The input ends there, like an ordinary end of file.
    bool read_error() const { return read_error_; }

    std::optional<FileId> id() const { return file_.id(); }
    // A plain file, rather than a FIFO, a device or a terminal.
    bool is_regular() const { return file_.is_regular(); }
    // The length of a plain file when it was opened (0 for anything else).
    std::uint64_t size() const { return file_.length(); }

    // A read that waits (on a FIFO or a terminal) gives up once this request
    // is made: the input then ends there, as at the end of the file.
    void stop_on(const StopRequest* stop) { stop_ = stop; }

    // When set, called as a read finds the end of a file that is not a
    // character device (whose end, a terminal's, is typed and read once);
    // the file is then read once more, and only that read's end is the end
    // of the input. A reader ahead of its user waits there until the user
    // has caught up, so that a file that grew meanwhile is read as far as it
    // would be by a reader that reads only when asked.
    void look_again_at_end(std::function<void()> wait) { look_again_ = std::move(wait); }

    // Closes the file. Clears the state on success, otherwise adds fail.
    bool close();

private:
    bool open_with(const std::string& path, bool create_missing);
    bool refill();
    std::ptrdiff_t read_into(char* into);
    RawBlock raw_block(char* begin, char* end);
    RawBlock end_of_input(char* at);
    bool ctrl_z_ends() const { return ctrl_z_ends_input_ && !file_.is_char_device(); }

    RawFile file_;
    std::size_t capacity_;
    // Page-aligned for the system's copies, with room before the data so that
    // a CR held back from the previous block can be put back in front.
    std::unique_ptr<char[], AlignedDelete> buffer_;
    std::size_t pos_ = 0;
    std::size_t fill_ = 0;
    bool held_cr_ = false;  // a CR ended the previous block; its fate depends on the next byte
    bool ended_ = false;    // end of file, read error or 0x1A seen: nothing more is read
    bool read_error_ = false;
    bool ctrl_z_ends_input_ = true;
    const StopRequest* stop_ = nullptr;
    std::function<void()> look_again_;
};

class TextOutFile : public StreamState {
public:
    // buffer_size is the size of each write to the file (at least 2).
    explicit TextOutFile(std::size_t buffer_size = kBlockSize);
    ~TextOutFile();  // flushes and closes, ignoring errors; call close() to learn them
    TextOutFile(const TextOutFile&) = delete;
    TextOutFile& operator=(const TextOutFile&) = delete;

    // Opens for writing, creating a missing file. Sets fail on error; clears
    // the state on success, so that one stream can write file after file.
    // A check sees the file actually opened before it is changed (see
    // RawFile::open_write); a refused file counts as an error. Returns good().
    bool open(const std::string& path, WriteMode mode, const WriteCheck& check = {});
    // The same for a file that is already open for writing.
    bool open(RawFile file);

    // Appends every character of text, in order. If the file rejects a
    // write, sets fail and bad; on a stream that already has a flag set,
    // writes nothing and sets fail.
    TextOutFile& write(std::string_view text);
    // Writes raw text (as TextInFile::read_raw_block() gives it): the same
    // bytes as write() of its characters would, i.e. a CR LF pair goes out
    // unchanged and a bare LF as CR LF. An LF at the start of text counts as
    // bare, so a pair must not be split between calls.
    TextOutFile& write_raw(const RawBlock& block);

    // The bytes write() puts on disk for `text`.
    static std::uint64_t disk_size(std::string_view text);

    // Flushes, then cuts a plain file at the end of what this stream wrote,
    // for a text written over a longer one. False on error.
    bool cut_here();
    // Flushes, then waits until the file's content is on the disk. True only
    // if every character got there.
    bool sync();

    // A write that waits (to a FIFO or a terminal) gives up once this request
    // is made, as a failed write with Failure::Stopped.
    void stop_on(const StopRequest* stop) { stop_ = stop; }

    // Why the last write (or the open) failed.
    Failure failure() const { return file_.failure(); }
    // Whether the file last opened is a plain file (still known once closed).
    bool is_regular() const { return file_.is_regular(); }

    // Flushes and closes. True only if every character reached the file and
    // the close succeeded. Clears the state when the handle closed cleanly,
    // otherwise adds fail.
    bool close();

private:
    void append_bytes(const char* data, std::size_t size);
    enum class Expand { None, EveryLf, BareLf };
    void append_expanding(std::string_view text, Expand expand);
    std::size_t direct_size(const char* data, std::size_t size) const;
    void flush_full();
    bool flush();

    RawFile file_;
    std::size_t capacity_;
    // Page-aligned, with slack after the capacity for the copy loop's overrun.
    std::unique_ptr<char[], AlignedDelete> buffer_;
    std::size_t fill_ = 0;
    std::uint64_t written_ = 0;  // bytes handed to the file since open()
    const StopRequest* stop_ = nullptr;
};

}  // namespace tav
