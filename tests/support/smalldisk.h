// POSIX only: a real, tiny file system to fill up, where the tests may mount one.
#pragma once

#include <string>

namespace tavtest {

// Mounts a tmpfs of `bytes` (rounded up to whole pages) and, if given, room
// for only `inodes` files and folders, on an existing empty folder for the
// object's lifetime. Needs the right to mount (root, outside most
// containers); check mounted() and skip the test when it is false.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, std::size_t bytes, std::size_t inodes = 0);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    // Makes the file system read-only, or writable again; false if refused.
    bool set_read_only(bool read_only);

private:
    std::string folder_;
    std::string options_;
    bool mounted_ = false;
};

}  // namespace tavtest
