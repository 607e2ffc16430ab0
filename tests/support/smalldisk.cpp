#include "support/smalldisk.h"

#include <sys/mount.h>

namespace tavtest {

SmallDisk::SmallDisk(const std::string& folder, std::size_t bytes, std::size_t inodes)
    : folder_(folder),
      options_("size=" + std::to_string(bytes) + ",mode=0777" +
               (inodes != 0 ? ",nr_inodes=" + std::to_string(inodes) : "")) {
    mounted_ = ::mount("tavtest", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options_.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

bool SmallDisk::set_read_only(bool read_only) {
    const unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (read_only ? MS_RDONLY : 0);
    return mounted_ && ::mount("tavtest", folder_.c_str(), "tmpfs", flags, options_.c_str()) == 0;
}

}  // namespace tavtest
