#include "pathwalk_posix.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace tav {

namespace {

// The kernel's own bound on a chain of links, which also ends a loop.
constexpr int kMaxHops = 40;

}  // namespace

PathWalk::PathWalk(const std::string& path) : names_(names_of(path, false)) {
    start(!path.empty() && path.front() == '/');
}

PathWalk::~PathWalk() { ::close(folder_); }

int PathWalk::open(int flags, mode_t mode) {
    for (;;) {
        if (!to_last_name()) return -1;
        const int fd = ::openat(folder_, names_.front().text.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
        // Opened just to look at, a link is the link itself rather than a failure.
        if (fd >= 0 && !((flags & kWalkFlags) != 0 && is_link(fd))) return fd;
        if (fd >= 0)
            ::close(fd);
        else if (errno != ELOOP)
            return -1;
        if (!follow()) return -1;
    }
}

std::optional<std::string> PathWalk::resolve() {
    for (;;) {
        if (!to_last_name()) return std::nullopt;
        const std::string& name = names_.front().text;
        struct stat st {};
        if (::fstatat(folder_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode)) {
            if (name == ".") return walked_.empty() ? std::string(".") : walked_;
            return joined(walked_, name);
        }
        if (!follow()) return std::nullopt;
    }
}

// The names of `path`; all but the last are on the way, and that one is
// if the path takes the place of a link that was.
std::deque<PathWalk::Name> PathWalk::names_of(const std::string& path, bool last_on_the_way) {
    std::deque<Name> names;
    for (std::size_t at = 0; at < path.size();) {
        const std::size_t slash = std::min(path.find('/', at), path.size());
        if (slash > at) names.push_back({path.substr(at, slash - at), true});
        at = slash + 1;
    }
    // "dir/" names the folder itself, as "dir/." does.
    if (names.empty() || path.back() == '/') names.push_back({".", true});
    names.back().on_the_way = last_on_the_way;
    return names;
}

void PathWalk::start(bool at_root) {
    if (folder_ >= 0) ::close(folder_);
    folder_ = ::open(at_root ? "/" : ".", kWalkFlags | O_DIRECTORY | O_CLOEXEC);
    // Not `= at_root ? "/" : ""`: GCC 12 at -O3 takes that for an
    // overlapping copy (-Wrestrict, its bug 105329).
    walked_.assign(at_root ? 1 : 0, '/');
}

std::string PathWalk::joined(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + '/' + name;
}

// Walks into every folder but the last name's. False with errno set.
bool PathWalk::to_last_name() {
    if (folder_ < 0) return false;
    while (names_.size() > 1) {
        const Name name = names_.front();
        if (name.text == ".") {
            names_.pop_front();
            continue;
        }
        const int next = ::openat(folder_, name.text.c_str(), kWalkFlags | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            // A link to a folder is "not a folder" when not followed.
            if ((errno != ENOTDIR && errno != ELOOP) || !follow()) return false;
            continue;
        }
        ::close(folder_);
        folder_ = next;
        step_into(name.text);
        names_.pop_front();
    }
    return true;
}

bool PathWalk::is_link(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISLNK(st.st_mode);
}

// Everything walked so far is a real folder, so ".." simply goes back a name.
void PathWalk::step_into(const std::string& name) {
    if (name == "..") {
        const std::size_t slash = walked_.rfind('/');
        const std::string last = slash == std::string::npos ? walked_ : walked_.substr(slash + 1);
        if (!last.empty() && last != "..") {
            walked_.erase(slash == std::string::npos ? 0 : (slash == 0 ? 1 : slash));
            return;
        }
        if (walked_ == "/") return;
    }
    walked_ = joined(walked_, name);
}

// Replaces the first name, a link, by the names of its target, if the
// rule lets it be followed. False with errno set.
bool PathWalk::follow() {
    const Name link = names_.front();
    struct stat st {}, folder {};
    if (::fstatat(folder_, link.text.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || ::fstat(folder_, &folder) != 0)
        return false;
    if (!S_ISLNK(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    if (++hops_ > kMaxHops) {
        errno = ELOOP;
        return false;
    }
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    if (shared && st.st_uid != ::geteuid() && st.st_uid != folder.st_uid) {
        refused_on_the_way_ = link.on_the_way;
        errno = EACCES;
        return false;
    }
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    const ssize_t n = ::readlinkat(folder_, link.text.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) {
        errno = n == 0 ? ENOENT : errno;
        return false;
    }
    target.resize(static_cast<std::size_t>(n));
    names_.pop_front();
    const std::deque<Name> inner = names_of(target, link.on_the_way);
    names_.insert(names_.begin(), inner.begin(), inner.end());
    if (target.front() == '/') start(true);
    return true;
}

}  // namespace tav
