#pragma once

// What the program knows of a run, as the report and summary.json give it:
// every answer by the name the program's messages use, the constants the
// set-up derived from them, and how the run ended.
//
//   report::RunFacts facts = run_facts_of(def, scales);   // at the set-up
//   facts.end = run_end_of(ended);                        // at the end

#include <string_view>
#include <vector>

#include "events/run_events.hpp"
#include "model/run_definition.hpp"
#include "model/run_scales.hpp"
#include "model/run_stop.hpp"
#include "report/run_facts.hpp"

namespace slurry1d::results {

// The reason in snake_case: "last_output_time", "steady_state_height", ...
std::string_view end_reason_name(EndReason reason);

// The answers in the order the dialog asks them, those it asks only: A1, B1,
// C, D, Z1, IDES, ERROR, ERROR1, (A2, B2, CRA, CRB, CRC, CRD, ETA, CV), GS,
// GW, H0, IFIL, (NS, TBF, TEF, FRH), ITOP, (VT or LT), IBOT, (VB or HB), ME,
// TS, NO, OPT, MAXDT, ICONT, (ND, e, z). ITOP and IBOT are the codes as
// answered (top 1 evaporation, 2 surcharge; bottom 1 impervious, 2 pressure
// head, 3 pervious, 4 velocity); TBF, TEF, FRH, OPT and the profile pairs e,
// z (from the top down, as typed) are lists.
std::vector<report::NamedValue> answers_of(const RunDefinition& def);

// E0, K0, HTOT and the height of the solids HTOT/(1 + E0) as solids_height;
// none when the set-up had not derived them.
std::vector<report::NamedValue> derived_of(const RunScales& scales);

// The answers and the derived constants; the end and the units left open.
report::RunFacts run_facts_of(const RunDefinition& def, const RunScales& scales);

// How the run ended: the reason, a message (the stop's own lines, or what
// the run reached), the time, the exit status and the output times not
// reached.
report::RunEnd run_end_of(const RunEnded& e);

}  // namespace slurry1d::results
