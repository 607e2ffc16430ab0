#pragma once

#include <fcntl.h>
#include <sys/types.h>

#include <deque>
#include <optional>
#include <string>

namespace tav {

// Opens folders only to walk through them: no read permission is needed.
#ifdef O_PATH
constexpr int kWalkFlags = O_PATH;
#else
constexpr int kWalkFlags = O_RDONLY;
#endif

// A path walked one name at a time, as the kernel walks it, except that a
// symbolic link is followed only where the kernel's rule for sticky,
// world-writable folders allows it (fs.protected_symlinks): in such a folder
// a link is followed only if it belongs to this user or to the folder's
// owner. Each folder is held open while the next name is looked up in it,
// so a folder cannot be swapped for a link behind the walk's back.
class PathWalk {
public:
    explicit PathWalk(const std::string& path);
    ~PathWalk();
    PathWalk(const PathWalk&) = delete;
    PathWalk& operator=(const PathWalk&) = delete;

    // Opens the last name with `flags` (O_NOFOLLOW added), following it where
    // it is a link that may be followed. -1 with errno set on failure; a
    // refused link gives EACCES.
    int open(int flags, mode_t mode);

    // The walked path with every link resolved; the last name need not exist.
    std::optional<std::string> resolve();

    // Whether a refused link lay on the way to the folder of the path asked for.
    bool refused_on_the_way() const { return refused_on_the_way_; }

private:
    struct Name {
        std::string text;
        bool on_the_way;  // a folder on the way to the last name of the path asked for
    };

    static std::deque<Name> names_of(const std::string& path, bool last_on_the_way);
    static std::string joined(const std::string& folder, const std::string& name);
    static bool is_link(int fd);
    void start(bool at_root);
    bool to_last_name();
    void step_into(const std::string& name);
    bool follow();

    std::deque<Name> names_;
    int folder_ = -1;
    std::string walked_;
    int hops_ = 0;
    bool refused_on_the_way_ = false;
};

}  // namespace tav
