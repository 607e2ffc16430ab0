#include "startup.h"

#include <csignal>

bool prepare_platform() {
    // Under a file size limit a write must fail and be reported as one,
    // rather than kill the program half-way through a piece; so must a write
    // to a piece FIFO whose reader has gone.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}
