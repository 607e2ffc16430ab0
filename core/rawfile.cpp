#include "rawfile.h"

#include <utility>

namespace tav {

RawFile::RawFile(RawFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)),
      char_device_(other.char_device_),
      regular_(other.regular_),
      fifo_(other.fifo_),
      nonblocking_(other.nonblocking_),
      failure_(other.failure_) {}

RawFile& RawFile::operator=(RawFile&& other) noexcept {
    if (this != &other) {
        close_handle();
        handle_ = std::exchange(other.handle_, kNoHandle);
        char_device_ = other.char_device_;
        regular_ = other.regular_;
        fifo_ = other.fifo_;
        nonblocking_ = other.nonblocking_;
        failure_ = other.failure_;
    }
    return *this;
}

RawFile::~RawFile() { close_handle(); }

RawFile RawFile::failed(Failure why) {
    RawFile file;
    file.failure_ = why;
    return file;
}

}  // namespace tav
