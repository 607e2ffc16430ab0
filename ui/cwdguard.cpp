#include "cwdguard.h"

#include <system_error>

CCurrentDirGuard::CCurrentDirGuard() {
    std::error_code ec;
    saved_ = std::filesystem::current_path(ec);
}

CCurrentDirGuard::~CCurrentDirGuard() {
    if (saved_.empty()) return;
    std::error_code ec;
    std::filesystem::current_path(saved_, ec);
}
