// File helpers for tests: a fresh temporary folder per test, and whole-file
// reads and writes of exact bytes.
#pragma once

#include "rawfile.h"

#include <optional>
#include <string>

namespace tavtest {

// A new, empty folder that is removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() joined with a relative name by the platform's separator.
    std::string operator/(const std::string& name) const { return path_ + tav::kPathSeparator + name; }

private:
    std::string path_;
};

void write_file(const std::string& path, const std::string& bytes);
// The file's bytes, or nothing if it cannot be read.
std::optional<std::string> read_file(const std::string& path);
bool exists(const std::string& path);
// The settings file's bytes on disk for these four values.
std::string settings_text(const std::string& source, const std::string& dest, const std::string& kb,
                          const std::string& lines);
// Number of entries in a folder.
int count_entries(const std::string& folder);
bool running_as_root();

}  // namespace tavtest
