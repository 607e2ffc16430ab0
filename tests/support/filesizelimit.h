// POSIX only: a real "file too large" for writes, without a full disk. Writes
// past the limit fail with EFBIG instead of killing the process.
#pragma once

#include <sys/resource.h>

namespace tavtest {

// Lowers the file size limit (RLIMIT_FSIZE) for the object's lifetime and
// ignores SIGXFSZ meanwhile; both are put back when it goes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return active_; }

private:
    struct rlimit old_ {};
    void (*old_handler_)(int) = nullptr;
    bool active_ = false;
};

}  // namespace tavtest
