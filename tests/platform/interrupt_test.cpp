#include "platform/interrupt.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <istream>
#include <string>

namespace slurry1d::platform {
namespace {

// Installs the handlers for one test and leaves the process as it found it.
class InstalledHandlers : public ::testing::Test {
 protected:
  void SetUp() override {
    forget_interruption();
    install_interrupt_handlers();
  }
  void TearDown() override {
    restore_default_handlers();
    forget_interruption();
  }
};

TEST_F(InstalledHandlers, NothingIsRequestedBeforeASignal) {
  EXPECT_EQ(requested_interruption(), Interruption::None);
}

TEST_F(InstalledHandlers, EachSignalIsNotedAsItsKind) {
  struct Case {
    int signal_number;
    Interruption noted;
    const char* name;
  };
  for (const Case& c : {Case{SIGINT, Interruption::Interrupt, "SIGINT"},
                        Case{SIGTERM, Interruption::Terminate, "SIGTERM"}}) {
    forget_interruption();
    install_interrupt_handlers();
    ASSERT_EQ(std::raise(c.signal_number), 0);
    EXPECT_EQ(requested_interruption(), c.noted) << c.name;
    EXPECT_STREQ(interruption_name(requested_interruption()), c.name);
  }
}

TEST_F(InstalledHandlers, TheFirstRequestIsKept) {
  ASSERT_EQ(std::raise(SIGTERM), 0);
  ASSERT_EQ(std::raise(SIGINT), 0);
  EXPECT_EQ(requested_interruption(), Interruption::Terminate);
  forget_interruption();
  EXPECT_EQ(requested_interruption(), Interruption::None);
}

// Runs `body` in a child process and returns its wait status.
template <typename Body>
int status_of_child(Body body) {
  const pid_t child = fork();
  if (child == 0) {
    body();
    _exit(0);
  }
  int raw = 0;
  waitpid(child, &raw, 0);
  return raw;
}

// The first signal only notes the request; the second of the same kind ends
// the program at once, by the signal, as without a handler.
TEST(SecondSignal, EndsTheProgramAtOnce) {
  for (const int signal_number : {SIGINT, SIGTERM}) {
    const int raw = status_of_child([signal_number] {
      install_interrupt_handlers();
      std::raise(signal_number);
      if (requested_interruption() == Interruption::None) _exit(1);
      std::raise(signal_number);
      _exit(2);  // still running after the second signal
    });
    ASSERT_TRUE(WIFSIGNALED(raw)) << "exit status " << WEXITSTATUS(raw);
    EXPECT_EQ(WTERMSIG(raw), signal_number);
  }
}

// Without the handlers, or after they are taken away, a signal has its
// default effect.
TEST(SecondSignal, RestoredDefaultsEndTheProgramAtTheFirstSignal) {
  const int raw = status_of_child([] {
    install_interrupt_handlers();
    restore_default_handlers();
    std::raise(SIGTERM);
    _exit(2);
  });
  ASSERT_TRUE(WIFSIGNALED(raw));
  EXPECT_EQ(WTERMSIG(raw), SIGTERM);
}

// A program started to ignore a signal (a job a shell runs in the background
// ignores SIGINT) goes on ignoring it.
TEST(IgnoredSignal, StaysIgnored) {
  const int raw = status_of_child([] {
    std::signal(SIGINT, SIG_IGN);
    install_interrupt_handlers();
    std::raise(SIGINT);
    _exit(requested_interruption() == Interruption::None ? 0 : 1);
  });
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 0);
}

// A pipe whose read end feeds an InterruptibleInput.
class PipeInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pipe(fds_), 0);
    forget_interruption();
  }
  void TearDown() override {
    close(fds_[0]);
    if (fds_[1] >= 0) close(fds_[1]);
    restore_default_handlers();
    forget_interruption();
  }
  void write_and_close(const std::string& text) {
    ASSERT_EQ(write(fds_[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fds_[1]);
    fds_[1] = -1;
  }
  int read_end() const { return fds_[0]; }

 private:
  int fds_[2] = {-1, -1};
};

TEST_F(PipeInput, ReadsEverythingUpToTheEnd) {
  write_and_close("7.0 -0.2\n2\nlast line without end");
  InterruptibleInput buffer(read_end());
  std::istream in(&buffer);
  std::string line;
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, "7.0 -0.2");
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, "2");
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, "last line without end");
  EXPECT_FALSE(std::getline(in, line));
}

// Once a request is noted the reader sees the end of its input, although
// more answers are waiting: the dialog then stops.
TEST_F(PipeInput, GivesUpOnceARequestIsNoted) {
  write_and_close("first\nsecond\n");
  install_interrupt_handlers();
  ASSERT_EQ(std::raise(SIGINT), 0);
  InterruptibleInput buffer(read_end());
  std::istream in(&buffer);
  std::string line;
  EXPECT_FALSE(std::getline(in, line));
}

}  // namespace
}  // namespace slurry1d::platform
