// The one place where the program touches the operating system's file API.
// Everything above this layer is portable; a Windows implementation sits
// beside the POSIX one and is chosen by the build.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

class StopRequest;

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Identifies a file independently of how its path is spelt.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

// Identity of whatever `path` names (links followed); nothing if it does not exist.
std::optional<FileId> identify(const std::string& path);

// What a careful rewrite needs to know of an existing file (links followed).
struct FileKind {
    bool regular = false;    // a plain file, not a folder, FIFO or device
    std::uint64_t names = 1;  // hard links to it
};
std::optional<FileKind> kind_of(const std::string& path);

// The path of what `path` names with every symbolic link along it resolved
// (the last name need not exist), so that later calls meet no link on the
// way: `path` itself on systems without such links. Nothing if a link cannot
// be read, the links loop, a folder on the way is missing, or a link may not
// be followed (see RawFile).
std::optional<std::string> follow_links(const std::string& path);

// Renames `from` over `to` in one step and makes the change durable; false,
// with both files as they were, on any error.
bool replace_file(const std::string& from, const std::string& to);

// How many processors this process may run on (its affinity): at least 1.
unsigned processors_available();
// Moves the calling thread to another processor than the one it runs on,
// where it may run on another one.
void move_to_another_processor();
// The time the processors this process may run on have spent idle so far,
// together; nothing where the system does not say.
std::optional<std::chrono::nanoseconds> idle_time();
// The processor time this process has used so far, all its threads together,
// and the steps in which the system counts it (a clock tick on Windows).
std::chrono::nanoseconds processor_time();
std::chrono::nanoseconds processor_time_step();

// Deletes a file; false if it could not.
bool remove_file(const std::string& path);

// Deletes what an earlier run that was killed half-way left behind: files
// named `prefix` and `tail` more characters, each one of `alphabet`, that
// this user created with RawFile::create_new a while ago and that no running
// program holds open from it (unreadable ones too). Anything else is left alone.
void remove_leftovers(const std::string& prefix, std::size_t tail, std::string_view alphabet);

enum class WriteMode {
    Truncate,   // create, or cut an existing file to zero length
    AtEnd,      // create, or keep the content and write after it
    Overwrite,  // create, or keep the content and write over it from the start
};

// Why an open or a write failed, as far as the caller must tell cases apart.
enum class Failure {
    None,
    Exists,   // a file that had to be new is there already
    Refused,  // no permission, or a read-only file system
    NoSpace,  // the disk, a quota or the file size limit is full: every later file would fail too
    FolderRefused,  // a link on the way to the file's folder may not be followed: so for every file there
    Stopped,  // a read or write that had to wait gave up at a stop request
    Other,
};

// Decides, from its identity, whether a file that has just been opened for
// writing may be written (and, in Truncate mode, cut).
using WriteCheck = std::function<bool(const FileId&)>;

// Move-only owner of an open file handle. Other processes may read and write
// the file meanwhile; on Windows they may not delete or rename it.
//
// Every path is walked one name at a time, and each symbolic link on it
// (folders on the way included) is followed as the kernel's rule for sticky,
// world-writable folders (such as /tmp) would, whatever the system's own
// setting: a link there is followed only if it belongs to this user or to
// the folder's owner, so that nobody can plant a link that makes this
// program read or write a file of its choosing.
//
// Reads and writes that may wait for another program (a FIFO, a terminal)
// give way to a stop request within a fraction of a second; ordinary
// interruptions by signals are retried.
class RawFile {
public:
    RawFile() = default;
    RawFile(RawFile&& other) noexcept;
    RawFile& operator=(RawFile&& other) noexcept;
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;
    ~RawFile();  // closes without reporting; call close() to learn the outcome

    // Opens for reading only. With create_missing, a missing file is created
    // empty first. On failure (a folder among others) the result is not open.
    // The open never waits; the first read of a FIFO waits for its writer.
    static RawFile open_read(const std::string& path, bool create_missing);
    // Opens for writing only, creating a missing file. On failure the result is
    // not open. Never waits for a reader: a FIFO nobody reads fails to open.
    // With a check, the file actually opened is shown to it before anything
    // is changed; a file it refuses, or whose identity cannot be read, is
    // closed untouched and the result is not open. The length is cut through
    // the open handle, so only the file that was checked can be cut.
    static RawFile open_write(const std::string& path, WriteMode mode, const WriteCheck& check = {});
    // Creates `path`, which must not exist yet, empty and for writing, with the
    // permissions (and, where allowed, the owner) of the file at `like` if there
    // is one, held so that remove_leftovers() leaves it alone while it is open.
    // On failure, an existing `path` among others, the result is not open.
    static RawFile create_new(const std::string& path, const std::string& like);

    bool is_open() const { return handle_ != kNoHandle; }
    bool is_char_device() const { return char_device_; }
    bool is_regular() const { return regular_; }  // still known once closed
    // Why the open, or since then a write, failed.
    Failure failure() const { return failure_; }
    std::optional<FileId> id() const;
    // The length of a plain file; 0 for anything else or when it is unknown.
    std::uint64_t length() const;

    // What read() gives when it stopped waiting at a stop request.
    static constexpr std::ptrdiff_t kStopped = -2;
    // Reads up to `size` bytes: the count, 0 at the end of the file, -1 on
    // error, or kStopped once `stop` (if any) is requested while it waits.
    std::ptrdiff_t read(char* data, std::size_t size, const StopRequest* stop = nullptr);
    // Writes all `size` bytes, retrying short writes; false on any error, or
    // with Failure::Stopped once `stop` is requested while it waits.
    bool write_all(const char* data, std::size_t size, const StopRequest* stop = nullptr);
    // Makes sure the disk has room for the first `size` bytes of a plain
    // file without changing its content; false if it has not.
    bool reserve(std::uint64_t size);
    // Cuts a plain file to `size` bytes; false on error.
    bool cut(std::uint64_t size);
    // Waits until everything written has reached the disk; false on error.
    bool sync();
    // Closes the handle; false if the system reports an error (data may be lost).
    bool close();

private:
    using Handle = std::intptr_t;
    static constexpr Handle kNoHandle = -1;
    explicit RawFile(Handle handle);
    // A file that is not open, for this reason.
    static RawFile failed(Failure why);
    // Notes why the last system call failed; returns false.
    bool fail_from_system();
    void close_handle() noexcept;

    Handle handle_ = kNoHandle;
    bool char_device_ = false;
    bool regular_ = false;  // has a length to cut
    bool fifo_ = false;         // a read waits for a writer first
    bool nonblocking_ = false;  // may wait for another program: waits are ours, and watch for a stop
    Failure failure_ = Failure::None;
};

}  // namespace tav
