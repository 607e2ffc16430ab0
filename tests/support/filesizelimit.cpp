#include "support/filesizelimit.h"

#include <csignal>

namespace tavtest {

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    if (::getrlimit(RLIMIT_FSIZE, &old_) != 0) return;
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old_;
    small.rlim_cur = bytes;
    active_ = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
}

FileSizeLimit::~FileSizeLimit() {
    if (active_) ::setrlimit(RLIMIT_FSIZE, &old_);
    if (old_handler_ != nullptr) std::signal(SIGXFSZ, old_handler_);
}

}  // namespace tavtest
