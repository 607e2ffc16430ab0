// For tests: the Windows start-up with its one check, that Windows Sockets
// 1.1 is ready, open to a stand-in.
#pragma once

#include <functional>

namespace tavui {

// Asks for Windows Sockets 1.1, which the program has always required at
// start-up; true only if exactly that version is ready.
bool sockets_ready();

// prepare_platform() with the sockets check given.
bool prepare_platform(const std::function<bool()>& sockets_check);

}  // namespace tavui
