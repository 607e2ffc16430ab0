// A private folder for the files one fuzzing process writes: inside
// $TAVFUZZ_SCRATCH if set, else on a RAM disk where there is one. Removed
// when the process ends normally.
#pragma once

#include <string>

namespace tavfuzz {

// The folder, created on first use.
const std::string& scratch_folder();

// Whole-file helpers for the targets; they abort on failure, since a fuzz
// target cannot go on without its files.
void put_file(const std::string& path, const std::string& bytes);
std::string get_file(const std::string& path);
bool file_exists(const std::string& path);
// Removes `path` and everything below it.
void remove_tree(const std::string& path);

}  // namespace tavfuzz
