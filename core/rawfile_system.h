// What the POSIX file layer (rawfile_posix.cpp) needs of the operating
// system beyond POSIX, and the part of rawfile.h only a system can answer
// (where this process may run). Each system has its own file, chosen by the
// build: rawfile_linux.cpp; a port to another starts with one of its own.
#pragma once

#include <cstdint>
#include <string>

namespace tav {

// Sets aside room on disk for the first `size` bytes of the open plain file
// `fd` without changing its length or content: 0, or the error number;
// EOPNOTSUPP where the file system cannot.
int set_aside(int fd, std::uint64_t size);

// Gives the open file `fd` the extended attributes (an ACL among them) of the
// file at `like`, as far as this user may set them.
void copy_attributes(const std::string& like, int fd);

}  // namespace tav
