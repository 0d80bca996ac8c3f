// The handler routine itself, driven as the system drives it, on POSIX and on
// Windows alike (the tests that raise real signals in child processes are
// POSIX only).

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "platform/interrupt.hpp"
#include "platform/native.hpp"

namespace slurry1d::platform {
namespace {

struct Request {
  unsigned long code;
  Interruption noted;
  std::string name;
};

// The requests each system hands to the handler, the kind each is noted as
// and the name the program's message gives it.
std::vector<Request> requests_of_this_system() {
#ifdef _WIN32
  return {{CTRL_C_EVENT, Interruption::Interrupt, "CTRL-C"},
          {CTRL_BREAK_EVENT, Interruption::Terminate, "CTRL-BREAK OR CLOSE"},
          {CTRL_CLOSE_EVENT, Interruption::Terminate, "CTRL-BREAK OR CLOSE"}};
#else
  return {{SIGINT, Interruption::Interrupt, "SIGINT"},
          {SIGTERM, Interruption::Terminate, "SIGTERM"}};
#endif
}

class Handler : public ::testing::Test {
 protected:
  void SetUp() override { forget_interruption(); }
  void TearDown() override { forget_interruption(); }
};

TEST_F(Handler, NotesEachRequestAsItsKindAndNamesIt) {
  for (const Request& r : requests_of_this_system()) {
    forget_interruption();
    EXPECT_TRUE(deliver_to_handler(r.code)) << r.name;
    EXPECT_EQ(requested_interruption(), r.noted) << r.name;
    EXPECT_EQ(interruption_name(requested_interruption()), r.name);
  }
}

TEST_F(Handler, KeepsTheFirstRequestAndPassesLaterOnesOn) {
  const auto requests = requests_of_this_system();
  const Request& first = requests.back();    // a termination
  const Request& second = requests.front();  // an interruption
  ASSERT_TRUE(deliver_to_handler(first.code));
  // A second request is not the handler's to keep: the system's default
  // handling ends the program.
  EXPECT_FALSE(deliver_to_handler(second.code));
  EXPECT_FALSE(deliver_to_handler(first.code));
  EXPECT_EQ(requested_interruption(), first.noted);
}

TEST_F(Handler, NotesARequestAgainOnceTheLastOneIsForgotten) {
  const Request r = requests_of_this_system().front();
  ASSERT_TRUE(deliver_to_handler(r.code));
  forget_interruption();
  EXPECT_EQ(requested_interruption(), Interruption::None);
  EXPECT_TRUE(deliver_to_handler(r.code));
  EXPECT_EQ(requested_interruption(), r.noted);
}

}  // namespace
}  // namespace slurry1d::platform
