#include "support/unprivileged.h"

#include "support/files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <grp.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace tavtest {

namespace {

void put_u32(std::string& out, std::size_t n) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((n >> (8 * i)) & 0xFF);
}

std::string encode(const std::vector<Message>& messages) {
    std::string out;
    for (const auto& m : messages) {
        put_u32(out, m.text.size());
        out += m.text;
        put_u32(out, m.caption.size());
        out += m.caption;
    }
    return out;
}

bool take(const std::string& in, std::size_t& pos, std::string& field) {
    if (in.size() - pos < 4) return false;
    std::size_t n = 0;
    for (std::size_t i = 0; i < 4; ++i) n |= static_cast<std::size_t>(static_cast<unsigned char>(in[pos + i])) << (8 * i);
    pos += 4;
    if (in.size() - pos < n) return false;
    field = in.substr(pos, n);
    pos += n;
    return true;
}

std::vector<Message> decode(const std::string& in) {
    std::vector<Message> out;
    for (std::size_t pos = 0; pos < in.size();) {
        Message m;
        if (!take(in, pos, m.text) || !take(in, pos, m.caption)) {
            ADD_FAILURE() << "garbled report from the child";
            break;
        }
        out.push_back(m);
    }
    return out;
}

bool write_all(int fd, const std::string& data) {
    for (std::size_t done = 0; done < data.size();) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::vector<Message> in_child(const std::function<std::vector<Message>()>& body) {
    int fds[2];
    if (::pipe(fds) != 0) {
        ADD_FAILURE() << "pipe failed";
        return {};
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ADD_FAILURE() << "fork failed";
        return {};
    }
    if (pid == 0) {
        ::close(fds[0]);
        // Exit code 3: could not report.
        const std::string report = encode(body());
        ::_exit(write_all(fds[1], report) ? 0 : 3);
    }
    ::close(fds[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0) break;
        report.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        ADD_FAILURE() << "child ended with status " << status;
        return {};
    }
    return decode(report);
}

std::vector<Message> as_unprivileged(const std::function<std::vector<Message>()>& body) {
    if (!running_as_root()) return body();
    return in_child([&] {
        // Exit code 2: could not drop root.
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
        return body();
    });
}

void give_to_unprivileged(const std::string& path) {
    if (running_as_root() && ::chown(path.c_str(), kNobody, kNobody) != 0) ADD_FAILURE() << "chown " << path;
}

}  // namespace tavtest
