#include "results/run_facts_of.hpp"

#include <cmath>
#include <string>

namespace slurry1d::results {
namespace {

using report::NamedValue;

NamedValue value(const char* name, double v) {
  return {name, {v}, false};
}

NamedValue list(const char* name, std::vector<double> values) {
  return {name, std::move(values), true};
}

// The top code as answered: 1 evaporation rate, 2 surcharge (stored as 3).
int typed_top(TopBoundary kind) {
  if (kind == TopBoundary::Velocity) return 1;
  if (kind == TopBoundary::Surcharge) return 2;
  return code(kind);
}

// The bottom code as answered: a velocity base with a velocity was answered
// 4, one without 1 (impervious).
int typed_bottom(const BoundaryConditions& bc) {
  if (bc.IBOT == BottomBoundary::Velocity) return bc.VB != 0.0 ? 4 : 1;
  return code(bc.IBOT);
}

void add_desiccation(const RunDefinition& def, std::vector<NamedValue>& out) {
  if (def.IDES == 2) return;
  for (const NamedValue& v :
       {value("A2", def.A2), value("B2", def.B2), value("CRA", def.CRA), value("CRB", def.CRB),
        value("CRC", def.CRC), value("CRD", def.CRD), value("ETA", def.ETA), value("CV", def.CV)}) {
    out.push_back(v);
  }
}

void add_stages(const RunDefinition& def, std::vector<NamedValue>& out) {
  if (def.IFIL != 1) return;
  out.push_back(value("NS", def.NS));
  std::vector<double> TBF, TEF, FRH;
  for (int i = 1; i <= def.NS && i <= MAXSTAGE; ++i) {
    TBF.push_back(def.stage[i].TBF);
    TEF.push_back(def.stage[i].TEF);
    FRH.push_back(def.stage[i].FRH);
  }
  out.push_back(list("TBF", std::move(TBF)));
  out.push_back(list("TEF", std::move(TEF)));
  out.push_back(list("FRH", std::move(FRH)));
}

void add_boundaries(const BoundaryConditions& bc, std::vector<NamedValue>& out) {
  const int top = typed_top(bc.ITOP);
  out.push_back(value("ITOP", top));
  out.push_back(top == 1 ? value("VT", bc.VT) : value("LT", bc.LT));
  const int bottom = typed_bottom(bc);
  out.push_back(value("IBOT", bottom));
  if (bottom == 4) out.push_back(value("VB", bc.VB));
  if (bottom == 2) out.push_back(value("HB", bc.HB));
}

void add_output_times(const RunDefinition& def, std::vector<NamedValue>& out) {
  out.push_back(value("NO", def.NO));
  std::vector<double> OPT;
  for (int i = 1; i <= def.NO && i <= MAXSTAGE; ++i) OPT.push_back(def.OPT[i]);
  out.push_back(list("OPT", std::move(OPT)));
}

// The pairs of a continued run as typed: from the top down (pair 1 of the
// profile is the lowest).
void add_profile(const RunDefinition& def, std::vector<NamedValue>& out) {
  if (def.ICONT != 1) return;
  out.push_back(value("ND", def.ND));
  std::vector<double> e, z;
  for (int k = def.ND; k >= 1; --k) {
    e.push_back(def.profile[k].e);
    z.push_back(def.profile[k].z);
  }
  out.push_back(list("e", std::move(e)));
  out.push_back(list("z", std::move(z)));
}

// What the run reached, for the ends whose stop carries no message lines.
std::string end_words(const RunEnded& e) {
  switch (e.reason) {
    case EndReason::LastOutputTime:
      return "the last output time was reached";
    case EndReason::SteadyStateHeight:
      return "the top reached the steady-state height";
    case EndReason::MinimumVoidRatio:
      return "node " + std::to_string(e.node) + " reached the minimum void ratio ME";
    case EndReason::QuietSteps:
      return "four steps in a row changed no node fast (the minimum marching difference)";
    case EndReason::Unstable:
      return "the calculation was terminated for an unstable situation (the marching difference "
             "exceeded the node count)";
    default:
      return std::string(end_reason_name(e.reason));
  }
}

}  // namespace

std::string_view end_reason_name(EndReason reason) {
  switch (reason) {
    case EndReason::LastOutputTime:
      return "last_output_time";
    case EndReason::SteadyStateHeight:
      return "steady_state_height";
    case EndReason::MinimumVoidRatio:
      return "minimum_void_ratio";
    case EndReason::QuietSteps:
      return "quiet_steps";
    case EndReason::Unstable:
      return "unstable";
    case EndReason::BaseInstability:
      return "base_instability";
    case EndReason::TooManyNodes:
      return "too_many_nodes";
    case EndReason::RefusedRun:
      return "refused_run";
    case EndReason::RefusedInput:
      return "refused_input";
    case EndReason::Interrupted:
      return "interrupted";
    case EndReason::NumericalFailure:
      return "numerical_failure";
    case EndReason::FileError:
      return "file_error";
  }
  return "unknown";
}

std::vector<NamedValue> answers_of(const RunDefinition& def) {
  std::vector<NamedValue> out = {value("A1", def.A1),       value("B1", def.B1),
                                 value("C", def.C),         value("D", def.D),
                                 value("Z1", def.Z1),       value("IDES", def.IDES),
                                 value("ERROR", def.ERROR), value("ERROR1", def.ERROR1)};
  add_desiccation(def, out);
  for (const NamedValue& v :
       {value("GS", def.GS), value("GW", def.GW), value("H0", def.H0), value("IFIL", def.IFIL)}) {
    out.push_back(v);
  }
  add_stages(def, out);
  add_boundaries(def.bc, out);
  out.push_back(value("ME", def.ME));
  out.push_back(value("TS", def.TS));
  add_output_times(def, out);
  out.push_back(value("MAXDT", def.MAXDT));
  out.push_back(value("ICONT", def.ICONT));
  add_profile(def, out);
  return out;
}

std::vector<NamedValue> derived_of(const RunScales& scales) {
  if (!(scales.HTOT > 0.0)) return {};
  return {value("E0", scales.E0), value("K0", scales.K0), value("HTOT", scales.HTOT),
          value("solids_height", scales.HTOT / (scales.E0 + 1.0))};
}

report::RunFacts run_facts_of(const RunDefinition& def, const RunScales& scales) {
  report::RunFacts facts;
  facts.answers = answers_of(def);
  facts.derived = derived_of(scales);
  return facts;
}

report::RunEnd run_end_of(const RunEnded& e) {
  report::RunEnd end;
  end.reason = std::string(end_reason_name(e.reason));
  for (const std::string& line : e.message) {
    if (!end.message.empty()) end.message += "; ";
    end.message += line.substr(std::min(line.find_first_not_of(' '), line.size()));
  }
  if (end.message.empty()) end.message = end_words(e);
  if (std::isfinite(e.time)) end.time = e.time;
  end.exit_status = e.exit_status;
  for (int i = std::max(e.output_times_reached, 0) + 1; i <= e.def.NO && i <= MAXSTAGE; ++i) {
    end.output_times_not_reached.push_back(e.def.OPT[i]);
  }
  return end;
}

}  // namespace slurry1d::results
