// Windows start-up, with its one check open to tests.
#pragma once

#include <functional>

// Asks for Windows Sockets 1.1, which the program has always required at
// start-up; true only if exactly that version is ready.
bool sockets_ready();

// prepare_platform() with the sockets check given.
bool prepare_platform(const std::function<bool()>& sockets_check);
