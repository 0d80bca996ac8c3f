// The solver's working state: a snapshot captures and restores the column
// over its first NN entries, and the solver's iterates follow the snapshot a
// step is taken from or repeated from.

#include "solver/solver_state.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace slurry1d {
namespace {

// NN nodes with distinct values, and sentinels in the entries above NN.
std::unique_ptr<SoilColumn> column(int NN, double shift) {
  auto col = std::make_unique<SoilColumn>();
  col->NN = NN;
  col->WSUM = 10.0 + shift;
  for (int i = 1; i <= NN + 2; ++i) {
    const bool inside = i <= NN;
    col->EN[i] = inside ? 0.5 + 0.01 * i + shift : -1.0;
    col->Z[i] = inside ? 0.1 * i + shift : -2.0;
    col->SIGE[i] = inside ? 3.0 * i + shift : -3.0;
    col->DXI[i] = inside ? 0.02 + 0.001 * i + shift : -4.0;
    col->ECR[i] = 7.0;
  }
  col->NN1 = 3;
  col->NN2 = 4;
  return col;
}

TEST(ColumnSnapshot, RestoresWhatItCapturedOverTheFirstNNEntries) {
  const auto captured = column(6, 0.0);
  auto col = std::make_unique<SoilColumn>(*captured);
  ColumnSnapshot snapshot;
  snapshot.capture(*col);
  // The column moves on, with two more nodes and other crack tips.
  const auto moved = column(8, 0.25);
  *col = *moved;
  col->NN1 = 1;
  col->ECR[2] = 9.0;
  snapshot.restore(*col);
  EXPECT_EQ(col->NN, 6);
  EXPECT_EQ(col->WSUM, captured->WSUM);
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(col->EN[i], captured->EN[i]) << i;
    EXPECT_EQ(col->Z[i], captured->Z[i]) << i;
    EXPECT_EQ(col->SIGE[i], captured->SIGE[i]) << i;
    EXPECT_EQ(col->DXI[i], captured->DXI[i]) << i;
  }
  // Entries above the captured NN, and what a snapshot does not hold, stay.
  EXPECT_EQ(col->EN[7], moved->EN[7]);
  EXPECT_EQ(col->Z[8], moved->Z[8]);
  EXPECT_NE(moved->EN[7], captured->EN[7]);
  EXPECT_EQ(col->NN1, 1);
  EXPECT_EQ(col->ECR[2], 9.0);
  EXPECT_EQ(snapshot.NN(), 6);
  EXPECT_EQ(snapshot.EN(3), captured->EN[3]);
  EXPECT_EQ(snapshot.top(), captured->Z[6]);
}

TEST(SolverState, AStepStartsFromTheColumnAndIsRepeatedFromEitherSnapshot) {
  auto solver = std::make_unique<SolverState>();
  const auto start = column(5, 0.0);
  auto col = std::make_unique<SoilColumn>(*start);
  solver->iterates.EOLD.fill(-9.0, 5);

  // Without desiccation the old time level waits for the restart snapshot.
  solver->begin_step(*col, false);
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(solver->iterates.EIT[i], start->EN[i]) << i;
    EXPECT_EQ(solver->iterates.EOLD[i], -9.0) << i;
  }
  // The boundary refinement added a node; the restart snapshot follows it.
  const auto refined = column(6, 0.125);
  *col = *refined;
  solver->take_restart_snapshot(*col);
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(solver->iterates.EOLD[i], refined->EN[i]) << i;

  // A diverged pass: back to the restart snapshot, its void ratios the iterate.
  *col = *column(6, 0.5);
  solver->restore_restart_snapshot(*col);
  EXPECT_EQ(col->NN, 6);
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(col->EN[i], refined->EN[i]) << i;
    EXPECT_EQ(solver->iterates.EIT[i], refined->EN[i]) << i;
  }
  EXPECT_EQ(col->NN1, 3);  // the crack tips are the step's business here

  // Back to the start of the step: the old time level too, the crack tip of
  // the last step.
  solver->restore_step_snapshot(*col);
  EXPECT_EQ(col->NN, 5);
  EXPECT_EQ(col->NN1, col->NN2);
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(col->EN[i], start->EN[i]) << i;
    EXPECT_EQ(solver->iterates.EIT[i], start->EN[i]) << i;
    EXPECT_EQ(solver->iterates.EOLD[i], start->EN[i]) << i;
    EXPECT_EQ(col->Z[i], start->Z[i]) << i;
  }
  EXPECT_EQ(solver->step_snapshot().top(), start->Z[5]);
  EXPECT_EQ(solver->restart_snapshot().top(), refined->Z[6]);
}

TEST(SolverState, ADesiccationStepTakesItsOldTimeLevelAtTheStart) {
  auto solver = std::make_unique<SolverState>();
  const auto col = column(4, 0.0);
  solver->begin_step(*col, true);
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(solver->iterates.EOLD[i], col->EN[i]) << i;
  EXPECT_EQ(solver->iterates.EOLD[5], 0.0);  // no further than NN
}

}  // namespace
}  // namespace slurry1d
