#pragma once

// Requests to stop the program from outside: Ctrl-C at the terminal (SIGINT),
// a batch system or `kill` (SIGTERM), and on Windows the console's Ctrl-C,
// Ctrl-Break and close events. The handler only notes the first request; the
// program looks at the note where it can stop cleanly (once per time step,
// and when the answers cannot be read on). A second request of the same kind
// ends the program at once, as if no handler had been installed.

#include <streambuf>

namespace slurry1d::platform {

enum class Interruption {
  None,
  Interrupt,  // SIGINT, Ctrl-C
  Terminate,  // SIGTERM; Ctrl-Break and closing the console window on Windows
};

// Installs the handlers. Until then a request ends the program the default way;
// a signal the program was started to ignore stays ignored.
void install_interrupt_handlers();
// Back to the default handling, as before install_interrupt_handlers().
void restore_default_handlers();

// The first request received since the handlers were installed, or None.
// Reads one lock-free atomic: cheap enough for every time step.
Interruption requested_interruption();
// Forgets a request, so that a later one is noted again.
void forget_interruption();

// Hands one request to the handler the program installs, as the system hands
// it over: on POSIX a signal number (SIGINT, SIGTERM), on Windows a console
// event (CTRL_C_EVENT, CTRL_BREAK_EVENT, CTRL_CLOSE_EVENT). Returns what the
// handler answers: true when it noted the request as the first one, false when
// a request was noted before (on Windows the system then goes on to the default
// handler, which ends the process). Lets tests drive the handler itself on
// both systems.
bool deliver_to_handler(unsigned long request);

// How a request is named in the program's message: "SIGINT", "SIGTERM" (on
// Windows "CTRL-C", "CTRL-BREAK OR CLOSE").
const char* interruption_name(Interruption why);

// Buffered reading of a file descriptor (the standard input by default) that gives up once a
// request has been noted: a read blocked on a terminal or a pipe returns, and the reader sees the
// end of its input, so the program can stop while it waits for an answer.
class InterruptibleInput : public std::streambuf {
 public:
  explicit InterruptibleInput(int fd = 0) : fd_(fd) {}

 protected:
  int_type underflow() override;

 private:
  int fd_;
  char buffer_[4096];
};

}  // namespace slurry1d::platform
