// The one place where the program touches the operating system's file API.
// Everything above this layer is portable; a Windows implementation sits
// beside the POSIX one and is chosen by the build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tav {

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

enum class WriteMode {
    Truncate,  // create, or cut an existing file to zero length
    AtEnd,     // create, or keep the content and write after it
};

// Move-only owner of an open file handle. Other processes may read and write
// the file meanwhile; on Windows they may not delete or rename it.
class RawFile {
public:
    RawFile() = default;
    RawFile(RawFile&& other) noexcept;
    RawFile& operator=(RawFile&& other) noexcept;
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;
    ~RawFile();  // closes without reporting; call close() to learn the outcome

    // Opens for reading only. With create_missing, a missing file is created
    // empty first. On failure the result is not open. Never waits for a writer:
    // a FIFO with no writer reads as empty.
    static RawFile open_read(const std::string& path, bool create_missing);
    // Opens for writing only, creating a missing file. On failure the result is
    // not open. Never waits for a reader: a FIFO nobody reads fails to open.
    static RawFile open_write(const std::string& path, WriteMode mode);

    bool is_open() const { return handle_ != kNoHandle; }
    bool is_char_device() const { return char_device_; }
    std::optional<FileId> id() const;

    // Reads up to `size` bytes: the count, 0 at the end of the file, -1 on error.
    std::ptrdiff_t read(char* data, std::size_t size);
    // Writes all `size` bytes, retrying short writes; false on any error.
    bool write_all(const char* data, std::size_t size);
    // Closes the handle; false if the system reports an error (data may be lost).
    bool close();

private:
    using Handle = std::intptr_t;
    static constexpr Handle kNoHandle = -1;
    explicit RawFile(Handle handle);

    Handle handle_ = kNoHandle;
    bool char_device_ = false;
};

}  // namespace tav
