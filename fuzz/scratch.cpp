#include "scratch.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tavfuzz {

namespace {

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "fuzz scratch: %s\n", what.c_str());
    std::abort();
}

std::string make_folder() {
    // fuzz/run.sh names a folder it removes afterwards, since a crashing
    // process never gets to clean up after itself.
    std::error_code ec;
    const char* chosen = std::getenv("TAVFUZZ_SCRATCH");
    const std::string base = chosen != nullptr                ? chosen
                             : fs::is_directory("/dev/shm", ec) ? "/dev/shm"
                                                                : fs::temp_directory_path().string();
    std::string pattern = base + "/tavfuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) die("mkdtemp in " + base);
    return pattern;
}

// Owns the folder; the static instance removes it at normal exit.
struct Scratch {
    std::string path = make_folder();
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

}  // namespace

const std::string& scratch_folder() {
    static const Scratch scratch;
    return scratch.path;
}

void put_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) die("cannot write " + path);
}

std::string get_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) die("cannot read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool file_exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

void remove_tree(const std::string& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
    if (ec) die("cannot remove " + path);
}

}  // namespace tavfuzz
