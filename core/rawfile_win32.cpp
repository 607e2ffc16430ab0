#include "rawfile.h"

#include "windowsapi.h"

#include <algorithm>
#include <utility>

namespace tav {

namespace {

// Other processes may read and write our files, but not delete or rename them.
constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
// ReadFile and WriteFile take a 32-bit count.
constexpr std::size_t kMaxTransfer = 1u << 30;

HANDLE as_handle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
std::intptr_t from_handle(HANDLE h) { return reinterpret_cast<std::intptr_t>(h); }

std::optional<FileId> id_of(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info)) return std::nullopt;
    return FileId{info.dwVolumeSerialNumber,
                  (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

HANDLE open_handle(const std::string& path, DWORD access, DWORD disposition) {
    return ::CreateFileA(path.c_str(), access, kShare, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::optional<FileId> identify(const std::string& path) {
    // No access rights are needed to learn who a file is; the backup flag lets
    // this open folders too. Sharing everything keeps it from disturbing anyone.
    const HANDLE h = ::CreateFileA(path.c_str(), 0, kShare | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    const auto id = id_of(h);
    ::CloseHandle(h);
    return id;
}

RawFile::RawFile(Handle handle) : handle_(handle) {
    char_device_ = ::GetFileType(as_handle(handle_)) == FILE_TYPE_CHAR;
}

RawFile::RawFile(RawFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)), char_device_(other.char_device_) {}

RawFile& RawFile::operator=(RawFile&& other) noexcept {
    if (this != &other) {
        if (is_open()) ::CloseHandle(as_handle(handle_));
        handle_ = std::exchange(other.handle_, kNoHandle);
        char_device_ = other.char_device_;
    }
    return *this;
}

RawFile::~RawFile() {
    if (is_open()) ::CloseHandle(as_handle(handle_));
}

RawFile RawFile::open_read(const std::string& path, bool create_missing) {
    const HANDLE h = open_handle(path, GENERIC_READ, create_missing ? OPEN_ALWAYS : OPEN_EXISTING);
    return h == INVALID_HANDLE_VALUE ? RawFile() : RawFile(from_handle(h));
}

RawFile RawFile::open_write(const std::string& path, WriteMode mode) {
    // OPEN_ALWAYS then cutting or seeking, rather than CREATE_ALWAYS, so that an
    // existing file keeps its identity and attributes, as O_TRUNC does.
    const HANDLE h = open_handle(path, GENERIC_WRITE, OPEN_ALWAYS);
    if (h == INVALID_HANDLE_VALUE) return RawFile();
    RawFile file(from_handle(h));
    if (!file.char_device_) {
        const bool placed = mode == WriteMode::Truncate
                                ? ::SetEndOfFile(h) != 0
                                : ::SetFilePointerEx(h, LARGE_INTEGER{}, nullptr, FILE_END) != 0;
        if (!placed) return RawFile();
    }
    return file;
}

std::optional<FileId> RawFile::id() const {
    if (!is_open()) return std::nullopt;
    return id_of(as_handle(handle_));
}

std::ptrdiff_t RawFile::read(char* data, std::size_t size) {
    if (!is_open()) return -1;
    DWORD got = 0;
    if (!::ReadFile(as_handle(handle_), data, static_cast<DWORD>(std::min(size, kMaxTransfer)), &got, nullptr)) {
        // A pipe whose writer has gone has simply ended.
        return ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

bool RawFile::write_all(const char* data, std::size_t size) {
    if (!is_open()) return false;
    while (size > 0) {
        DWORD put = 0;
        if (!::WriteFile(as_handle(handle_), data, static_cast<DWORD>(std::min(size, kMaxTransfer)), &put, nullptr) ||
            put == 0)
            return false;
        data += put;
        size -= put;
    }
    return true;
}

bool RawFile::close() {
    if (!is_open()) return false;
    return ::CloseHandle(as_handle(std::exchange(handle_, kNoHandle))) != 0;
}

}  // namespace tav
