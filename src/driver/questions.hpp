#pragma once

// The answers of the console dialog as its messages name them (the dialog's
// short name and the meaning in words), and the codes its switches accept.

#include <span>
#include <string>
#include <string_view>

#include "driver/answer_reader.hpp"

namespace slurry1d::questions {

// Constants of compression e = A1 (s' + Z1)^B1 and permeability k = C e^D.
inline constexpr std::string_view kCompressionWords = "compression and permeability constants";
inline const AnswerName A1{"A1", "compression coefficient"};
inline const AnswerName B1{"B1", "compression exponent"};
inline const AnswerName C{"C", "permeability coefficient"};
inline const AnswerName D{"D", "permeability exponent"};
inline const AnswerName Z1{"Z1", "stress offset of the compression curve"};

inline const AnswerName IDES{"IDES", "3-D desiccation considered?"};
inline const AnswerName ERROR{"ERROR", "minimum marching difference"};
inline const AnswerName ERROR1{"ERROR1", "convergence tolerance"};
inline const AnswerName IDES_AGAIN{"IDES",
                                   "3-D desiccation considered?, asked again after the tolerances"};

inline constexpr std::string_view kShrinkageWords = "3-D shrinkage constants";
inline const AnswerName A2{"A2", "shrinkage coefficient"};
inline const AnswerName B2{"B2", "shrinkage exponent"};
inline constexpr std::string_view kCrackingWords = "constants of the cracking function";
inline const AnswerName CRA{"CRA", "cracking constant a"};
inline const AnswerName CRB{"CRB", "cracking constant b"};
inline const AnswerName CRC{"CRC", "cracking constant c"};
inline const AnswerName CRD{"CRD", "cracking constant d"};
inline const AnswerName ETA{"ETA", "crack-wall loss parameter"};
inline const AnswerName CV{"CV", "crust void ratio"};

inline const AnswerName GS{"GS", "specific gravity of the solids"};
inline const AnswerName GW{"GW", "unit weight of water"};
inline const AnswerName H0{"H0", "initial height of the slurry"};
inline const AnswerName IFIL{"IFIL", "staged filling on top?"};
inline const AnswerName NS{"NS", "number of filling stages"};

inline const AnswerName ITOP{"ITOP", "top boundary condition"};
inline const AnswerName VT{"VT", "velocity at the top"};
inline const AnswerName LT{"LT", "surcharge on the top"};
inline const AnswerName IBOT{"IBOT", "bottom boundary condition"};
inline const AnswerName VB{"VB", "velocity at the bottom"};
inline const AnswerName HB{"HB", "pressure head of water at the bottom"};

inline const AnswerName ME{"ME", "minimum void ratio"};
inline const AnswerName TS{"TS", "starting time"};
inline const AnswerName NO{"NO", "number of output times"};
inline const AnswerName MAXDT{"MAXDT", "maximum time interval"};
inline const AnswerName ICONT{"ICONT", "continue the last run?"};
inline const AnswerName ND{"ND", "number of void ratio-elevation pairs"};

// The values of filling stage i: "TBF(2)", "beginning time of stage 2".
struct StageNames {
  std::string words;
  AnswerName TBF, TEF, FRH;
};
StageNames stage(int i);

AnswerName output_time(int i);

// The values of the k-th pair typed, counted from the top of the layer.
struct PairNames {
  std::string words;
  AnswerName e, z;
};
PairNames pair(int k);

// One answer a switch accepts and what it means.
struct Code {
  int value;
  std::string_view meaning;
};

inline constexpr Code kYesNo[] = {{1, "yes"}, {2, "no"}};
inline constexpr Code kTopCodes[] = {{1, "evaporation rate"}, {2, "surcharge"}};
inline constexpr Code kBottomCodes[] = {
    {1, "impervious"}, {2, "pressure head"}, {3, "pervious"}, {4, "velocity"}};
inline constexpr Code kContinuationCodes[] = {{1, "continue the last run"}, {2, "a new run"}};

bool is_code(int typed, std::span<const Code> codes);

// "answer 1 (yes) or 2 (no)".
std::string codes_text(std::span<const Code> codes);

}  // namespace slurry1d::questions
