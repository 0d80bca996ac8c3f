// The facts of a run: every answer by the name the dialog's messages use, in
// the dialog's order and only those it asks; the derived constants; the end
// with its reason in snake_case; and summary.json's text.

#include "results/run_facts_of.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "results/summary_json.hpp"

namespace slurry1d::results {
namespace {

std::vector<std::string> names(const std::vector<report::NamedValue>& values) {
  std::vector<std::string> out;
  for (const auto& v : values) out.push_back(v.name);
  return out;
}

const report::NamedValue& named(const std::vector<report::NamedValue>& values,
                                const std::string& name) {
  for (const auto& v : values) {
    if (v.name == name) return v;
  }
  throw std::runtime_error("no " + name);
}

std::unique_ptr<RunDefinition> surcharge_run() {
  auto d = std::make_unique<RunDefinition>();
  d->A1 = 7.0, d->B1 = -0.2, d->C = 6.8e-7, d->D = 4.0, d->Z1 = 0.1;
  d->IDES = 2, d->GS = 2.65, d->GW = 9.81, d->H0 = 5.0, d->IFIL = 2;
  d->bc.ITOP = TopBoundary::Surcharge, d->bc.LT = 20.0;
  d->bc.IBOT = BottomBoundary::Pervious;
  d->ME = 1.0, d->TS = 0.0, d->NO = 2, d->MAXDT = 20.0, d->ICONT = 2;
  d->OPT[1] = 1.0, d->OPT[2] = 10.0;
  return d;
}

TEST(Answers, ANewRunWithoutDesiccationOrFilling) {
  const auto d = surcharge_run();
  const auto answers = answers_of(*d);
  EXPECT_EQ(names(answers),
            (std::vector<std::string>{"A1",     "B1", "C",  "D",  "Z1",   "IDES",  "ERROR",
                                      "ERROR1", "GS", "GW", "H0", "IFIL", "ITOP",  "LT",
                                      "IBOT",   "ME", "TS", "NO", "OPT",  "MAXDT", "ICONT"}));
  EXPECT_EQ(named(answers, "ITOP").values, std::vector<double>{2.0}) << "the surcharge answer";
  EXPECT_EQ(named(answers, "IBOT").values, std::vector<double>{3.0});
  EXPECT_EQ(named(answers, "LT").values, std::vector<double>{20.0});
  EXPECT_EQ(named(answers, "OPT").values, (std::vector<double>{1.0, 10.0}));
  EXPECT_TRUE(named(answers, "OPT").list);
  EXPECT_FALSE(named(answers, "A1").list);
  EXPECT_EQ(named(answers, "ERROR").values.front(), SINGLE_1E_20);
}

// Each branch of the dialog adds the answers it asks.
struct Branch {
  const char* name;
  void (*change)(RunDefinition&);
  std::vector<std::string> present;
  std::vector<std::string> absent;
};

class AnswerBranches : public ::testing::TestWithParam<Branch> {};

TEST_P(AnswerBranches, AddTheirAnswers) {
  auto d = surcharge_run();
  GetParam().change(*d);
  const auto list = names(answers_of(*d));
  for (const std::string& n : GetParam().present) {
    EXPECT_NE(std::find(list.begin(), list.end(), n), list.end()) << n;
  }
  for (const std::string& n : GetParam().absent) {
    EXPECT_EQ(std::find(list.begin(), list.end(), n), list.end()) << n;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, AnswerBranches,
    ::testing::Values(Branch{"Desiccation",
                             [](RunDefinition& d) { d.IDES = 1; },
                             {"A2", "B2", "CRA", "CRB", "CRC", "CRD", "ETA", "CV"},
                             {}},
                      Branch{
                          "NoDesiccation", [](RunDefinition&) {}, {}, {"A2", "CRA", "ETA", "CV"}},
                      Branch{"Filling",
                             [](RunDefinition& d) {
                               d.IFIL = 1;
                               d.NS = 2;
                             },
                             {"NS", "TBF", "TEF", "FRH"},
                             {}},
                      Branch{"EvaporationAndBaseVelocity",
                             [](RunDefinition& d) {
                               d.bc.ITOP = TopBoundary::Velocity;
                               d.bc.VT = 0.005;
                               d.bc.IBOT = BottomBoundary::Velocity;
                               d.bc.VB = -0.002;
                             },
                             {"VT", "VB"},
                             {"LT", "HB"}},
                      Branch{"PressureHead",
                             [](RunDefinition& d) {
                               d.bc.IBOT = BottomBoundary::Head;
                               d.bc.HB = 1.0;
                             },
                             {"HB"},
                             {"VB"}},
                      Branch{"Continued",
                             [](RunDefinition& d) {
                               d.ICONT = 1;
                               d.ND = 2;
                             },
                             {"ND", "e", "z"},
                             {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Answers, CodesAndListsAsAnswered) {
  auto d = surcharge_run();
  d->bc.ITOP = TopBoundary::Velocity;
  d->bc.IBOT = BottomBoundary::Velocity;
  d->bc.VB = -0.002;
  d->IFIL = 1;
  d->NS = 2;
  d->stage[1] = {0.0, 100.0, 0.05};
  d->stage[2] = {200.0, 200.0, 1.5};
  d->ICONT = 1;
  d->ND = 3;
  d->profile[1] = {4.2, 0.0};
  d->profile[2] = {5.0, 1.0};
  d->profile[3] = {11.0, 2.0};
  const auto a = answers_of(*d);
  EXPECT_EQ(named(a, "ITOP").values, std::vector<double>{1.0});
  EXPECT_EQ(named(a, "IBOT").values, std::vector<double>{4.0}) << "a velocity base with a velocity";
  EXPECT_EQ(named(a, "TBF").values, (std::vector<double>{0.0, 200.0}));
  EXPECT_EQ(named(a, "TEF").values, (std::vector<double>{100.0, 200.0}));
  EXPECT_EQ(named(a, "FRH").values, (std::vector<double>{0.05, 1.5}));
  // The pairs as typed: from the top down.
  EXPECT_EQ(named(a, "e").values, (std::vector<double>{11.0, 5.0, 4.2}));
  EXPECT_EQ(named(a, "z").values, (std::vector<double>{2.0, 1.0, 0.0}));
  d->bc.VB = 0.0;
  EXPECT_EQ(named(answers_of(*d), "IBOT").values, std::vector<double>{1.0}) << "impervious";
}

TEST(Derived, TheScalesAndTheHeightOfSolids) {
  RunScales s;
  EXPECT_TRUE(derived_of(s).empty()) << "not derived yet";
  s.E0 = 11.0, s.K0 = 0.01, s.HTOT = 8.0;
  const auto d = derived_of(s);
  EXPECT_EQ(names(d), (std::vector<std::string>{"E0", "K0", "HTOT", "solids_height"}));
  EXPECT_EQ(named(d, "solids_height").values.front(), 8.0 / 12.0);
}

TEST(EndReasons, EveryReasonHasItsSnakeCaseName) {
  const std::pair<EndReason, const char*> names[] = {
      {EndReason::LastOutputTime, "last_output_time"},
      {EndReason::SteadyStateHeight, "steady_state_height"},
      {EndReason::MinimumVoidRatio, "minimum_void_ratio"},
      {EndReason::QuietSteps, "quiet_steps"},
      {EndReason::Unstable, "unstable"},
      {EndReason::BaseInstability, "base_instability"},
      {EndReason::TooManyNodes, "too_many_nodes"},
      {EndReason::RefusedRun, "refused_run"},
      {EndReason::RefusedInput, "refused_input"},
      {EndReason::Interrupted, "interrupted"},
      {EndReason::NumericalFailure, "numerical_failure"},
      {EndReason::FileError, "file_error"},
  };
  for (const auto& [reason, name] : names) EXPECT_EQ(end_reason_name(reason), name);
}

TEST(EndOfRun, OwnEndsSayWhatTheRunReached) {
  const auto d = surcharge_run();
  const auto col = std::make_unique<SoilColumn>();
  RunScales scales;
  RunEnded e{EndReason::MinimumVoidRatio, 0, 4.5, 37, 1, {}, *d, *col, 3.0, scales};
  const report::RunEnd end = run_end_of(e);
  EXPECT_EQ(end.reason, "minimum_void_ratio");
  EXPECT_EQ(end.message, "node 37 reached the minimum void ratio ME");
  EXPECT_EQ(end.time, 4.5);
  EXPECT_EQ(end.output_times_not_reached, std::vector<double>{10.0});
  e.reason = EndReason::SteadyStateHeight;
  EXPECT_EQ(run_end_of(e).message, "the top reached the steady-state height");
  e.time = std::nan("");
  EXPECT_FALSE(run_end_of(e).time.has_value());
}

TEST(SummaryText, NumbersListsAndStrings) {
  report::RunFacts facts;
  facts.answers = {{"A1", {7.0}, false}, {"OPT", {1000.0}, true}, {"TBF", {}, true}};
  facts.derived = {{"E0", {11.094252347227796}, false}};
  facts.end.reason = "numerical_failure";
  facts.end.message = "a \"quoted\" word\tand a tab";
  facts.end.exit_status = 3;
  const std::string json = summary_json(
      facts, SummaryFigures{std::nullopt, std::numeric_limits<double>::infinity(), 0.25});
  for (const char* part :
       {"\"A1\": 7,\n", "\"OPT\": [1000],\n", "\"TBF\": []\n", "\"E0\": 11.094252347227796\n",
        "\"message\": \"a \\\"quoted\\\" word\\tand a tab\"", "\"time\": null",
        "\"exit_status\": 3", "\"final_height\": null", "\"settlement\": null",
        "\"run_time_seconds\": 0.25\n}"}) {
    EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
  }
  EXPECT_EQ(json_string(std::string("a\\b\x01")), "\"a\\\\b\\u0001\"");
}

}  // namespace
}  // namespace slurry1d::results
