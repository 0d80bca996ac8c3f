#include "platform/interrupt.hpp"

#include <atomic>
#include <cerrno>

#include "platform/native.hpp"

#ifndef _WIN32
#include <signal.h>
#endif

namespace slurry1d::platform {
namespace {

// The one thing a handler touches. On Windows the handler runs on a thread of
// its own, so the note is an atomic that needs no lock.
std::atomic<int> requested{static_cast<int>(Interruption::None)};
static_assert(std::atomic<int>::is_always_lock_free,
              "a signal handler may only touch a lock-free atomic");

// Keeps the first request only; false when one was noted already.
bool note(Interruption why) {
  int none = static_cast<int>(Interruption::None);
  return requested.compare_exchange_strong(none, static_cast<int>(why));
}

#ifdef _WIN32

// A console event the program has already been asked to stop for goes on to
// the default handler, which ends the process.
BOOL WINAPI on_console_event(DWORD event) {
  return note(event == CTRL_C_EVENT ? Interruption::Interrupt : Interruption::Terminate) ? TRUE
                                                                                         : FALSE;
}

#else

bool note_signal(int signal_number) {
  return note(signal_number == SIGINT ? Interruption::Interrupt : Interruption::Terminate);
}

extern "C" void on_signal(int signal_number) {
  note_signal(signal_number);
}

// SA_RESETHAND gives a second signal of the same kind its default effect.
// SA_RESTART is left out so that a read blocked on the answers returns.
void handle(int signal_number, void (*handler)(int), int flags) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = flags;
  sigaction(signal_number, &action, nullptr);
}

// A signal the program was started to ignore (a job a shell runs in the
// background ignores SIGINT) stays ignored.
void handle_unless_ignored(int signal_number) {
  struct sigaction current {};
  sigaction(signal_number, nullptr, &current);
  if (current.sa_handler == SIG_IGN) return;
  handle(signal_number, on_signal, SA_RESETHAND);
}

#endif

}  // namespace

void install_interrupt_handlers() {
#ifdef _WIN32
  SetConsoleCtrlHandler(on_console_event, TRUE);
#else
  handle_unless_ignored(SIGINT);
  handle_unless_ignored(SIGTERM);
#endif
}

void restore_default_handlers() {
#ifdef _WIN32
  SetConsoleCtrlHandler(on_console_event, FALSE);
#else
  handle(SIGINT, SIG_DFL, 0);
  handle(SIGTERM, SIG_DFL, 0);
#endif
}

bool deliver_to_handler(unsigned long request) {
#ifdef _WIN32
  return on_console_event(static_cast<DWORD>(request)) == TRUE;
#else
  return note_signal(static_cast<int>(request));
#endif
}

Interruption requested_interruption() {
  return static_cast<Interruption>(requested.load());
}

void forget_interruption() {
  requested.store(static_cast<int>(Interruption::None));
}

const char* interruption_name(Interruption why) {
  switch (why) {
#ifdef _WIN32
    case Interruption::Interrupt:
      return "CTRL-C";
    case Interruption::Terminate:
      return "CTRL-BREAK OR CLOSE";
#else
    case Interruption::Interrupt:
      return "SIGINT";
    case Interruption::Terminate:
      return "SIGTERM";
#endif
    case Interruption::None:
      break;
  }
  return "";
}

InterruptibleInput::int_type InterruptibleInput::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  for (;;) {
    if (requested_interruption() != Interruption::None) return traits_type::eof();
#ifdef _WIN32
    const int n = _read(fd_, buffer_, sizeof buffer_);
#else
    const auto n = ::read(fd_, buffer_, sizeof buffer_);
#endif
    if (n > 0) {
      setg(buffer_, buffer_, buffer_ + n);
      return traits_type::to_int_type(buffer_[0]);
    }
    if (n < 0 && errno == EINTR) continue;
    return traits_type::eof();
  }
}

}  // namespace slurry1d::platform
