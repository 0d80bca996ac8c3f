// Velocity conditions held back at set-up: which ends are deferred, the
// conditions that act while they are, and the switch.

#include "model/boundary_state.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace slurry1d {
namespace {

struct DeferCase {
  const char* what;
  int IDES;
  TopBoundary ITOP;
  double VT;
  BottomBoundary IBOT;
  double VB;
  bool top_deferred, bottom_deferred;
};

TEST(BoundaryState, DefersANonZeroVelocityOnlyWithoutDesiccation) {
  const TopBoundary other_top = static_cast<TopBoundary>(0);  // an answer off the menu
  const std::vector<DeferCase> cases = {
      {"both ends", 2, TopBoundary::Velocity, 1e-5, BottomBoundary::Velocity, -1e-5, true, true},
      {"desiccation", 1, TopBoundary::Velocity, 1e-5, BottomBoundary::Velocity, -1e-5, false,
       false},
      {"hidden tolerances answer", 3, TopBoundary::Velocity, 1e-5, BottomBoundary::Velocity, -1e-5,
       false, false},
      {"desiccation answer 0", 0, TopBoundary::Velocity, 1e-5, BottomBoundary::Velocity, -1e-5,
       false, false},
      {"no velocity", 2, TopBoundary::Velocity, 0.0, BottomBoundary::Velocity, 0.0, false, false},
      {"surcharge top", 2, TopBoundary::Surcharge, 0.0, BottomBoundary::Velocity, -1e-5, false,
       true},
      {"top code 0 with a velocity", 2, other_top, 1e-5, BottomBoundary::Pervious, 0.0, false,
       false},
      {"head base", 2, TopBoundary::Velocity, -2e-5, BottomBoundary::Head, 0.0, true, false},
  };
  for (const DeferCase& c : cases) {
    auto def = std::make_unique<RunDefinition>();
    def->IDES = c.IDES;
    def->bc.ITOP = c.ITOP;
    def->bc.VT = c.VT;
    def->bc.IBOT = c.IBOT;
    def->bc.VB = c.VB;
    BoundaryState state;
    state.defer(*def);
    EXPECT_EQ(state.top_deferred, c.top_deferred) << c.what;
    EXPECT_EQ(state.bottom_deferred, c.bottom_deferred) << c.what;
    EXPECT_EQ(state.TTOPSW, 0.0) << c.what;
    EXPECT_EQ(state.TBOTSW, 0.0) << c.what;

    // A deferred top acts as a free surface, a deferred base as pervious; the
    // values of the answers stay as they are.
    const BoundaryConditions acting = state.acting(def->bc);
    EXPECT_EQ(acting.ITOP, c.top_deferred ? TopBoundary::Surcharge : c.ITOP) << c.what;
    EXPECT_EQ(acting.IBOT, c.bottom_deferred ? BottomBoundary::Pervious : c.IBOT) << c.what;
    EXPECT_EQ(acting.VT, c.VT) << c.what;
    EXPECT_EQ(acting.VB, c.VB) << c.what;
    EXPECT_EQ(acting.LT, def->bc.LT) << c.what;
  }
}

TEST(BoundaryState, ASwitchedEndActsWithItsVelocityFromTheSwitchOn) {
  auto def = std::make_unique<RunDefinition>();
  def->IDES = 2;
  def->bc.ITOP = TopBoundary::Velocity;
  def->bc.VT = 1e-5;
  def->bc.IBOT = BottomBoundary::Velocity;
  def->bc.VB = -1e-5;
  BoundaryState state;
  state.defer(*def);

  state.switch_bottom(0.25);
  EXPECT_TRUE(state.top_deferred);
  EXPECT_FALSE(state.bottom_deferred);
  EXPECT_EQ(state.TBOTSW, 0.25);
  EXPECT_EQ(state.TTOPSW, 0.0);
  EXPECT_EQ(state.acting(def->bc).ITOP, TopBoundary::Surcharge);
  EXPECT_EQ(state.acting(def->bc).IBOT, BottomBoundary::Velocity);

  state.switch_top(0.5);
  EXPECT_FALSE(state.top_deferred);
  EXPECT_EQ(state.TTOPSW, 0.5);
  EXPECT_EQ(state.TBOTSW, 0.25);
  EXPECT_EQ(state.acting(def->bc).ITOP, TopBoundary::Velocity);
}

TEST(BoundaryKinds, CodesOffTheMenuActByWhereTheyFall) {
  struct Case {
    int code;
    bool top_velocity_row, top_fixed, bottom_velocity_row;
  };
  for (const Case& c :
       {Case{-1, true, false, true}, Case{0, true, false, true}, Case{1, true, false, true},
        Case{2, false, false, false}, Case{3, false, true, false}, Case{5, false, true, false}}) {
    EXPECT_EQ(top_has_velocity_row(static_cast<TopBoundary>(c.code)), c.top_velocity_row) << c.code;
    EXPECT_EQ(top_node_fixed(static_cast<TopBoundary>(c.code)), c.top_fixed) << c.code;
    EXPECT_EQ(bottom_has_velocity_row(static_cast<BottomBoundary>(c.code)), c.bottom_velocity_row)
        << c.code;
  }
  // The named kinds carry the codes the dialog stores.
  EXPECT_EQ(code(TopBoundary::Velocity), 1);
  EXPECT_EQ(code(TopBoundary::Surcharge), 3);
  EXPECT_EQ(code(BottomBoundary::Velocity), 1);
  EXPECT_EQ(code(BottomBoundary::Head), 2);
  EXPECT_EQ(code(BottomBoundary::Pervious), 3);
}

}  // namespace
}  // namespace slurry1d
