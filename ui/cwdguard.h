// Keeps the process's current directory across a system file or folder
// dialog, so that files opened by a bare name (the settings file) stay in the
// folder the program was started from.
#pragma once

#include <filesystem>

class CCurrentDirGuard {
public:
    CCurrentDirGuard();
    // Changes back to the noted directory; a failure is silent.
    ~CCurrentDirGuard();
    CCurrentDirGuard(const CCurrentDirGuard&) = delete;
    CCurrentDirGuard& operator=(const CCurrentDirGuard&) = delete;

private:
    std::filesystem::path saved_;  // empty when the current directory could not be read
};
