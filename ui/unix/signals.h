// The POSIX signals the program answers, whatever its toolkit.
#pragma once

namespace tavui {

// Under a file size limit a write must fail and be reported as one, rather
// than kill the program half-way through a piece; so must a write to a piece
// FIFO whose reader has gone.
void ignore_write_signals();

// Ctrl+C in a terminal, a session ending and the terminal going away
// (SIGINT, SIGTERM, SIGHUP). Each asks a split run to stop at once, where the
// signal comes (a run may not be back in an event loop for a while), and
// has the toolkit's event loop call `close`, in whatever loop is running.
void on_close_signals(void (*close)());

}  // namespace tavui
