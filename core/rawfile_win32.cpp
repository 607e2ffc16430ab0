#include "rawfile.h"

#include "tav/stoprequest.h"
#include "windowsapi.h"

#include <algorithm>
#include <bit>
#include <thread>
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

// A FILETIME's count of 100 ns.
std::int64_t hundreds_of_ns(const FILETIME& t) {
    return (static_cast<std::int64_t>(t.dwHighDateTime) << 32) | static_cast<std::int64_t>(t.dwLowDateTime);
}

// ERROR_DISK_QUOTA_EXCEEDED, which mingw-w64's headers lack.
constexpr DWORD kDiskQuotaExceeded = 1295;

Failure failure_of(DWORD error) {
    switch (error) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return Failure::Exists;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT: return Failure::Refused;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case kDiskQuotaExceeded:
        case ERROR_FILE_TOO_LARGE: return Failure::NoSpace;
        default: return Failure::Other;
    }
}

HANDLE open_handle(const std::string& path, DWORD access, DWORD disposition) {
    return ::CreateFileA(path.c_str(), access, kShare, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Opens whatever `path` names just to look at it: no access rights are needed
// for that, the backup flag lets it open folders too, and sharing everything
// keeps it from disturbing anyone.
HANDLE open_to_look(const std::string& path) {
    return ::CreateFileA(path.c_str(), 0, kShare | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

std::optional<FileId> identify(const std::string& path) {
    const HANDLE h = open_to_look(path);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    const auto id = id_of(h);
    ::CloseHandle(h);
    return id;
}

std::optional<FileKind> kind_of(const std::string& path) {
    const HANDLE h = open_to_look(path);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(h, &info) != 0;
    const bool disk = ::GetFileType(h) == FILE_TYPE_DISK;
    ::CloseHandle(h);
    if (!known) return std::nullopt;
    return FileKind{disk && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0, info.nNumberOfLinks};
}

// Symbolic links need privileges to make on Windows and are rarely met; a
// rename over one replaces the link itself, which the check for several
// names (links) does not cover. They are left as they are.
std::optional<std::string> follow_links(const std::string& path) { return path; }

bool replace_file(const std::string& from, const std::string& to) {
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

unsigned processors_available() {
    DWORD_PTR process = 0, system = 0;
    // The mask is 0 for a process whose threads span several processor groups.
    if (::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system) && process != 0)
        return static_cast<unsigned>(std::popcount(static_cast<std::uint64_t>(process)));
    return std::max(std::thread::hardware_concurrency(), 1u);
}

// Windows starts a new thread on an idle processor if there is one.
void move_to_another_processor() {}

// All processors' idle time, whatever the process's affinity.
std::optional<std::chrono::nanoseconds> idle_time() {
    FILETIME idle{}, kernel{}, user{};
    if (!::GetSystemTimes(&idle, &kernel, &user)) return std::nullopt;
    return std::chrono::nanoseconds(hundreds_of_ns(idle) * 100);
}

std::chrono::nanoseconds processor_time() {
    FILETIME created{}, ended{}, kernel{}, user{};
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user)) return {};
    return std::chrono::nanoseconds((hundreds_of_ns(kernel) + hundreds_of_ns(user)) * 100);
}

// Processor time is counted in clock ticks, usually about 16 ms.
std::chrono::nanoseconds processor_time_step() {
    DWORD adjustment = 0, tick = 0;
    BOOL disabled = FALSE;
    if (!::GetSystemTimeAdjustment(&adjustment, &tick, &disabled) || tick == 0)
        return std::chrono::milliseconds(16);
    return std::chrono::nanoseconds(static_cast<std::int64_t>(tick) * 100);
}

bool remove_file(const std::string& path) { return ::DeleteFileA(path.c_str()) != 0; }

void remove_leftovers(const std::string& prefix, std::size_t tail, std::string_view alphabet) {
    const std::size_t slash = prefix.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : prefix.substr(0, slash + 1);
    const std::string start = prefix.substr(folder.size());
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA((prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) { return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    do {
        // A file a save still has open cannot be deleted: it does not share that.
        const std::string name = found.cFileName;
        const bool plain = (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
        const bool ours = name.size() == start.size() + tail &&
                          name.find_first_not_of(alphabet, start.size()) == std::string::npos;
        if (plain && ours && ticks(now) - ticks(found.ftLastWriteTime) > 60ull * 10000000ull)
            ::DeleteFileA((folder + name).c_str());
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}

RawFile::RawFile(Handle handle) : handle_(handle) {
    const DWORD type = ::GetFileType(as_handle(handle_));
    char_device_ = type == FILE_TYPE_CHAR;
    regular_ = type == FILE_TYPE_DISK;
}

void RawFile::close_handle() noexcept {
    if (is_open()) ::CloseHandle(as_handle(std::exchange(handle_, kNoHandle)));
}

bool RawFile::fail_from_system() {
    failure_ = failure_of(::GetLastError());
    return false;
}

RawFile RawFile::open_read(const std::string& path, bool create_missing) {
    // A folder does not open: that takes the backup flag.
    const HANDLE h = open_handle(path, GENERIC_READ, create_missing ? OPEN_ALWAYS : OPEN_EXISTING);
    return h == INVALID_HANDLE_VALUE ? failed(failure_of(::GetLastError())) : RawFile(from_handle(h));
}

RawFile RawFile::open_write(const std::string& path, WriteMode mode, const WriteCheck& check) {
    // OPEN_ALWAYS then cutting or seeking, rather than CREATE_ALWAYS, so that an
    // existing file keeps its identity and attributes, and is cut only once
    // the check has seen it.
    const HANDLE h = open_handle(path, GENERIC_WRITE, OPEN_ALWAYS);
    if (h == INVALID_HANDLE_VALUE) return failed(failure_of(::GetLastError()));
    RawFile file(from_handle(h));
    if (check) {
        const auto id = file.id();
        if (!id || !check(*id)) return failed(Failure::Other);
    }
    if (file.regular_ && mode != WriteMode::Overwrite) {
        const bool placed = mode == WriteMode::Truncate
                                ? ::SetEndOfFile(h) != 0
                                : ::SetFilePointerEx(h, LARGE_INTEGER{}, nullptr, FILE_END) != 0;
        if (!placed) return failed(failure_of(::GetLastError()));
    }
    return file;
}

RawFile RawFile::create_new(const std::string& path, const std::string& like) {
    // Hidden and similar marks carry over; read-only would stop the rename.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD old = ::GetFileAttributesA(like.c_str());
    const DWORD attributes = old == INVALID_FILE_ATTRIBUTES ? 0 : old & kKept;
    const HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, kShare, nullptr, CREATE_NEW,
                                   attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? failed(failure_of(::GetLastError())) : RawFile(from_handle(h));
}

std::optional<FileId> RawFile::id() const {
    if (!is_open()) return std::nullopt;
    return id_of(as_handle(handle_));
}

std::uint64_t RawFile::length() const {
    LARGE_INTEGER length{};
    if (!is_open() || !regular_ || !::GetFileSizeEx(as_handle(handle_), &length)) return 0;
    return static_cast<std::uint64_t>(length.QuadPart);
}

// A read or write that waits (a pipe) cannot be woken here: nothing sets the
// stop request while the thread that would set it waits on the same call.
// It is looked at before each call.
std::ptrdiff_t RawFile::read(char* data, std::size_t size, const StopRequest* stop) {
    if (!is_open()) return -1;
    if (stop_requested(stop) && !regular_) return kStopped;
    DWORD got = 0;
    if (!::ReadFile(as_handle(handle_), data, static_cast<DWORD>(std::min(size, kMaxTransfer)), &got, nullptr)) {
        // A pipe whose writer has gone has simply ended.
        return ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

bool RawFile::write_all(const char* data, std::size_t size, const StopRequest* stop) {
    if (!is_open()) return false;
    while (size > 0) {
        if (stop_requested(stop) && !regular_) {
            failure_ = Failure::Stopped;
            return false;
        }
        DWORD put = 0;
        if (!::WriteFile(as_handle(handle_), data, static_cast<DWORD>(std::min(size, kMaxTransfer)), &put, nullptr))
            return fail_from_system();
        if (put == 0) return false;
        data += put;
        size -= put;
    }
    return true;
}

bool RawFile::reserve(std::uint64_t size) {
    if (!is_open()) return false;
    // The allocation size sets blocks aside without changing the length.
    LARGE_INTEGER length{};
    if (!::GetFileSizeEx(as_handle(handle_), &length)) return fail_from_system();
    if (static_cast<std::uint64_t>(length.QuadPart) >= size) return true;
    FILE_ALLOCATION_INFO room{};
    room.AllocationSize.QuadPart = static_cast<LONGLONG>(size);
    return ::SetFileInformationByHandle(as_handle(handle_), FileAllocationInfo, &room, sizeof room) != 0 ||
           fail_from_system();
}

bool RawFile::cut(std::uint64_t size) {
    if (!is_open()) return false;
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(size);
    return (::SetFilePointerEx(as_handle(handle_), at, nullptr, FILE_BEGIN) && ::SetEndOfFile(as_handle(handle_))) ||
           fail_from_system();
}

bool RawFile::sync() { return is_open() && ::FlushFileBuffers(as_handle(handle_)) != 0; }

bool RawFile::close() {
    if (!is_open()) return false;
    return ::CloseHandle(as_handle(std::exchange(handle_, kNoHandle))) != 0;
}

}  // namespace tav
