// The dialog at a terminal, run through a pseudo-terminal as a person would
// type into it: an unreadable or refused answer is reported and its question
// asked again with the same prompt (inside a list only the entry refused), so
// nothing typed before is lost and "input" ends up as if every answer had been
// right the first time; Ctrl-D ends the session with status 2, Ctrl-C with the
// interruption's status.
//
// The terminal is in its ordinary line mode: the program reads one typed line
// at a time, so all lines can be typed ahead. No test relies on timing: a
// wait only guards against a hang.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "e2e/program_runner.hpp"

namespace slurry1d::e2e {
namespace {

constexpr std::chrono::minutes kTerminalPatience{5};

// The program on the far side of a pseudo-terminal, in a scratch directory of
// its own. Its standard input, output and error are the terminal; the
// terminal does not echo what is typed, so what is read back is the
// program's own output.
class TerminalSession {
 public:
  // The program started with `arguments` after its name.
  explicit TerminalSession(const std::vector<std::string>& arguments = {}) {
    std::vector<std::string> words = {SLURRY1D_EXE};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    dir_ = scratch_directory();
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    const char* slave_name = ptsname(master_);
    if (slave_name == nullptr) return;
    const std::string slave_path = slave_name;
    pid_ = fork();
    if (pid_ == 0) {
      // A session of its own whose controlling terminal is the slave side, as
      // a shell starts a program in the foreground.
      setsid();
      const int slave = open(slave_path.c_str(), O_RDWR);
      if (slave < 0) _exit(126);
      ioctl(slave, TIOCSCTTY, 0);
      termios mode{};
      tcgetattr(slave, &mode);
      mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      tcsetattr(slave, TCSANOW, &mode);
      dup2(slave, 0);
      dup2(slave, 1);
      dup2(slave, 2);
      if (slave > 2) close(slave);
      close(master_);
      if (chdir(dir_.c_str()) != 0) _exit(126);
      signal(SIGINT, SIG_DFL);
      signal(SIGTERM, SIG_DFL);
      execv(SLURRY1D_EXE, argv.data());
      _exit(127);
    }
  }
  ~TerminalSession() {
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  bool started() const { return pid_ > 0; }

  // Types the text (lines ended by '\n'; "\x03" is Ctrl-C, "\x04" Ctrl-D).
  void type(const std::string& text) {
    if (write(master_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
      ADD_FAILURE() << "cannot type into the terminal";
    }
  }

  // Reads the screen until it holds `part` (true) or the program ends.
  bool read_until(const std::string& part) {
    const auto give_up = std::chrono::steady_clock::now() + kTerminalPatience;
    while (screen().find(part) == std::string::npos) {
      if (std::chrono::steady_clock::now() > give_up || !read_some()) return false;
    }
    return true;
  }

  // Reads the screen to the end of the program and returns its run; a
  // program that does not end within the patience is killed.
  ProgramRun finish() {
    const auto give_up = std::chrono::steady_clock::now() + kTerminalPatience;
    while (std::chrono::steady_clock::now() < give_up && read_some()) {
    }
    while (std::chrono::steady_clock::now() < give_up && !has_exited()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    int raw = 0;
    if (waitpid(pid_, &raw, WNOHANG) != pid_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &raw, 0);
      ADD_FAILURE() << "the program did not end; killed";
    }
    ended_ = true;
    ProgramRun run;
    run.dir = dir_;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.console = screen();
    return run;
  }

  // What the program wrote, with the terminal's "\r\n" read as "\n".
  std::string screen() const {
    std::string text;
    for (const char c : screen_) {
      if (c != '\r') text += c;
    }
    return text;
  }

 private:
  // Reads what is there; false once the program has closed the terminal.
  bool read_some() {
    pollfd p{master_, POLLIN, 0};
    const int ready = poll(&p, 1, 1000);
    if (ready == 0) return !has_exited();
    if (ready < 0) return errno == EINTR;
    char buffer[4096];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n > 0) {
      screen_.append(buffer, static_cast<std::size_t>(n));
      return true;
    }
    return n < 0 && errno == EINTR;  // EIO: no process has the terminal open any more
  }
  // Whether the program has ended, leaving it to be waited for.
  bool has_exited() const {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == pid_;
  }

  std::filesystem::path dir_;
  int master_ = -1;
  pid_t pid_ = -1;
  bool ended_ = false;
  std::string screen_;
};

const std::string kSoilLine = "7.0 -0.2 6.8e-8 4.0 0.1\n";

// A short self-weight run with three output times.
const std::string kRight =
    kSoilLine + "2\n2.65\n9.81\n10.0\n2\n2\n0.0\n1\n1.0\n0.0\n3\n10.0\n20.0\n30.0\n10.0\n2\n";

int count_of(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// What follows the first `after` in `text`, as long as `expected`.
std::string following(const std::string& text, const std::string& after,
                      const std::string& expected) {
  const auto at = text.find(after);
  return at == std::string::npos ? std::string() : text.substr(at + after.size(), expected.size());
}

TEST(Terminal, WrongAnswersAreAskedAgainAndNothingTypedIsLost) {
  const ProgramRun batch = run_program(kRight);
  ASSERT_EQ(batch.status, 0) << batch.errors;

  TerminalSession session;
  ASSERT_TRUE(session.started());
  session.type(kSoilLine +
               "y\n"  // not a number: the desiccation switch is asked again
               "0\n"  // off the menu: asked again
               "2\n"
               "2.65 9.81\n"  // two answers on one line: GS is asked again
               "2.65\n9.81\n"
               "1,5\n"  // a decimal comma
               "10.0\n2\n"
               "7\n"  // a top code off the menu
               "2\n0.0\n1\n"
               "12\n"  // a minimum void ratio above E0
               "1.0\n0.0\n3\n10.0\n20.0\n"
               "15\n"  // output time 3 before output time 2: only it is asked again
               "30.0\n10.0\n2\n");
  const ProgramRun run = session.finish();
  EXPECT_EQ(run.status, 0) << run.console;
  EXPECT_EQ(run.file("input"), batch.file("input"));
  EXPECT_EQ(run.file("vd.out"), batch.file("vd.out"));
  EXPECT_EQ(run.file("ts.out"), batch.file("ts.out"));

  const std::string& screen = run.console;
  // Each message, then the same prompt again.
  const std::string retried =
      "line 2 (IDES, 3-D desiccation considered?): 'y' is not an integer\n"
      " IS THE 3-D DESSICATION CONSIDERED IN THIS CASE?\n"
      " YES=1,NO=2\n"
      "line 3 (IDES, 3-D desiccation considered?): IDES = 0 is refused: answer 1 (yes) or 2 "
      "(no)\n"
      " IS THE 3-D DESSICATION CONSIDERED IN THIS CASE?\n"
      " YES=1,NO=2\n"
      " SPECIFY";
  EXPECT_EQ(following(screen, " YES=1,NO=2\n", retried), retried);
  EXPECT_EQ(
      count_of(screen,
               "line 5 (GS, specific gravity of the solids): this line holds 2 numbers but GS "
               "takes one: GS and GW are asked on separate lines\n"
               " SPECIFY SPECIFIC GRAVITY OF SOLIDS, GS=?\n"),
      1);
  EXPECT_EQ(count_of(screen,
                     "line 8 (H0, initial height of the slurry): this line holds 2 numbers but H0 "
                     "takes one: a decimal comma? write 1.5\n"
                     " SPECIFY INITIAL HEIGHT OF SLURRY, H0=?\n"),
            1);
  EXPECT_EQ(count_of(screen,
                     "line 11 (ITOP, top boundary condition): ITOP = 7 is refused: answer 1 "
                     "(evaporation rate) or 2 (surcharge)\n"
                     " SPECIFY THE BOUNDARY CONDITION AT TOP.\n"),
            1);
  EXPECT_EQ(count_of(screen,
                     "line 15 (ME, minimum void ratio): ME = 12 is refused: the minimum void ratio "
                     "must lie below the void ratio of the fresh slurry, E0 = A1*Z1^B1 = "
                     "11.094252347227796\n"
                     " SPECIFY THE MINIMUM VOID RATIO, ME=?\n"),
            1);
  // The list is not started again: the first two times stand, the third is
  // asked under the list's last prompt line.
  EXPECT_EQ(count_of(screen, " SPECIFY THE TIMES OF OUTPUT FILES, OPT=?\n"), 1);
  EXPECT_EQ(count_of(screen,
                     "line 21 (OPT(3), output time 3): OPT(3) = 15 is refused: output times must "
                     "ascend (OPT(2) = 20)\n"
                     " (IN ASSENDING ORDER)\n"
                     " SPECIFY THE MAXIMUM TIME INTERVAL, MAXDT=?\n"),
            1);
}

// A list of filling stages and of profile pairs: only the entry refused is
// asked again, under the list's format line.
TEST(Terminal, OnlyTheRefusedEntryOfAListIsAskedAgain) {
  const std::string stages = kSoilLine + "2\n2.65\n9.81\n0.0\n1\n2\n0.0 100.0 0.05\n";
  const std::string rest = "2\n0.0\n1\n1.0\n0.0\n1\n400.0\n10.0\n2\n";
  const ProgramRun batch = run_program(stages + "200.0 300.0 0.03\n" + rest);
  ASSERT_EQ(batch.status, 0) << batch.errors;

  TerminalSession session;
  ASSERT_TRUE(session.started());
  session.type(stages + "50.0 300.0 0.03\n200.0 300.0 0,03\n200.0 300.0 0.03\n" + rest);
  const ProgramRun run = session.finish();
  EXPECT_EQ(run.status, 0) << run.console;
  EXPECT_EQ(run.file("input"), batch.file("input"));
  const std::string retried =
      "line 9 (TBF(2), beginning time of stage 2): TBF(2) = 50 is refused: stages must "
      "follow one another (TEF(1) = 100)\n"
      " BEGINNING TIME, ENDING TIME, HEIGHTS OR RATES\n"
      "line 10 (TBF(2), TEF(2), FRH(2): filling stage 2): this line holds 4 numbers but "
      "TBF(2), TEF(2), FRH(2) take three: a decimal comma? write 0.03\n"
      " BEGINNING TIME, ENDING TIME, HEIGHTS OR RATES\n"
      " SPECIFY THE BOUNDARY CONDITION AT TOP.\n";
  EXPECT_EQ(following(run.console, " BEGINNING TIME, ENDING TIME, HEIGHTS OR RATES\n", retried),
            retried);
}

TEST(Terminal, EndOfInputEndsTheSessionWithStatusTwo) {
  TerminalSession session;
  ASSERT_TRUE(session.started());
  session.type(kSoilLine + "2\nabc\n");
  ASSERT_TRUE(session.read_until("'abc' is not a number\n SPECIFY SPECIFIC GRAVITY OF SOLIDS"));
  session.type("\x04");  // Ctrl-D at the start of a line
  const ProgramRun run = session.finish();
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.console.find("slurry1d: line 4 (GS, specific gravity of the solids): no answer: "
                             "the input ends after line 3\n"),
            std::string::npos)
      << run.console;
  EXPECT_FALSE(run.has_file("vd.out"));
}

// Ctrl-C while the dialog waits for a retried answer ends the run at once.
TEST(Terminal, InterruptWhileAskedAgainEndsTheDialog) {
  TerminalSession session;
  ASSERT_TRUE(session.started());
  session.type(kSoilLine + "2\n2.65\n-9.81\n");
  ASSERT_TRUE(
      session.read_until("GW = -9.81 is refused: the unit weight of water must be "
                         "positive\n SPECIFY THE UNIT WEITHT OF WATER, GW=?\n"));
  session.type("\x03");
  const ProgramRun run = session.finish();
  EXPECT_EQ(run.status, 130);
  // Standard error is the terminal: a line says how the run ended.
  EXPECT_TRUE(
      run.console.ends_with(" RUN INTERRUPTED (SIGINT) DURING THE DIALOG\n"
                            "run ended: interrupted during the dialog (exit status 130)\n"))
      << run.console;
  EXPECT_TRUE(split_lines(run.file("input")).back().ends_with("SPECIFIC GRAVITY OF SOLIDS"));
  EXPECT_FALSE(run.has_file("vd.out"));
}

// At a terminal standard error shows how far the run has come, on one line
// drawn again in place below the console, and at the end how it ended.
TEST(Terminal, TheRunShowsItsProgressAndHowItEnded) {
  TerminalSession session;
  ASSERT_TRUE(session.started());
  session.type(kRight);
  const ProgramRun run = session.finish();
  EXPECT_EQ(run.status, 0) << run.console;
  EXPECT_NE(run.console.find("t = 0."), std::string::npos) << run.console;
  EXPECT_NE(run.console.find(" of 30 ("), std::string::npos);
  EXPECT_NE(run.console.find(", step 1, 501 nodes"), std::string::npos);
  EXPECT_TRUE(run.console.ends_with("run ended: last output time t = 30 reached\n"))
      << run.console.substr(run.console.size() - 200);
}

// A value set on the command line is shown under its prompt and not asked:
// the answers typed leave it out.
TEST(Terminal, ASetValueIsShownAndNotAsked) {
  const ProgramRun batch = run_program(kRight, "--set GS=2.75 --set 'OPT(2)=25'");
  ASSERT_EQ(batch.status, 0) << batch.errors;
  TerminalSession session({"--set", "GS=2.75", "--set", "OPT(2)=25"});
  ASSERT_TRUE(session.started());
  std::string typed = kRight;
  typed.replace(typed.find("2.65\n"), 5, "");
  typed.replace(typed.find("20.0\n"), 5, "");
  session.type(typed);
  const ProgramRun run = session.finish();
  EXPECT_EQ(run.status, 0) << run.console;
  EXPECT_EQ(run.file("input"), batch.file("input"));
  EXPECT_EQ(run.file("vd.out"), batch.file("vd.out"));
  EXPECT_NE(run.console.find(" SPECIFY SPECIFIC GRAVITY OF SOLIDS, GS=?\n"
                             " GS = 2.75 (set on the command line)\n"
                             " SPECIFY THE UNIT WEITHT OF WATER, GW=?\n"),
            std::string::npos)
      << run.console;
  EXPECT_NE(run.console.find(" OPT(2) = 25 (set on the command line)\n"), std::string::npos);
}

// With --quiet the dialog stays on the screen and the rest goes into
// console.txt, which holds the whole console of the run.
TEST(Terminal, QuietKeepsTheDialogOnTheScreen) {
  const ProgramRun batch = run_program(kRight);
  TerminalSession session({"--quiet"});
  ASSERT_TRUE(session.started());
  session.type(kRight);
  const ProgramRun run = session.finish();
  EXPECT_EQ(run.status, 0) << run.console;
  EXPECT_NE(run.console.find(" SPECIFY THE MAXIMUM TIME INTERVAL, MAXDT=?\n"), std::string::npos);
  EXPECT_EQ(run.console.find("ITERATION NO"), std::string::npos) << run.console;
  EXPECT_EQ(run.file("console.txt"), batch.console);
  EXPECT_TRUE(run.console.ends_with("run ended: last output time t = 30 reached\n"));
}

}  // namespace
}  // namespace slurry1d::e2e
