// POSIX only. Runs a piece of a test in a child process, where it may change
// what the test process must keep: its user (permission checks do not apply
// to root, and CI runs as root), its session, its signals.
#pragma once

#include "support/recordingsink.h"

#include <functional>
#include <vector>

namespace tavtest {

// The user and group the child becomes when the tests run as root.
inline constexpr unsigned kNobody = 65534;

// Runs `body` in a forked child and returns what it returned; a child that
// fails or crashes is a test failure (and gives {}).
std::vector<Message> in_child(const std::function<std::vector<Message>()>& body);

// Runs `body` with permissions that apply: in a forked child that became
// kNobody when running as root, or right here otherwise. Returns what body
// returned; a child that fails or crashes is a test failure (and gives {}).
std::vector<Message> as_unprivileged(const std::function<std::vector<Message>()>& body);

// Hands `path` to the user that as_unprivileged() runs as (a no-op unless root).
void give_to_unprivileged(const std::string& path);

}  // namespace tavtest
