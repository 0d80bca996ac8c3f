#include "driver/questions.hpp"

namespace slurry1d::questions {

namespace {

std::string indexed(std::string_view symbol, int i) {
  std::string s(symbol);
  s += '(';
  s += std::to_string(i);
  s += ')';
  return s;
}

}  // namespace

StageNames stage(int i) {
  const std::string n = std::to_string(i);
  return {"filling stage " + n,
          {indexed("TBF", i), "beginning time of stage " + n},
          {indexed("TEF", i), "ending time of stage " + n},
          {indexed("FRH", i), "filling rate or height of stage " + n}};
}

AnswerName output_time(int i) {
  return {indexed("OPT", i), "output time " + std::to_string(i)};
}

PairNames pair(int k) {
  const std::string n = std::to_string(k);
  return {"void ratio-elevation pair " + n + " from the top",
          {indexed("e", k), "void ratio of pair " + n + " from the top"},
          {indexed("z", k), "elevation of pair " + n + " from the top"}};
}

bool is_code(int typed, std::span<const Code> codes) {
  for (const Code& c : codes) {
    if (c.value == typed) return true;
  }
  return false;
}

std::string codes_text(std::span<const Code> codes) {
  std::string text = "answer ";
  for (std::size_t k = 0; k < codes.size(); ++k) {
    if (k > 0) text += k + 1 == codes.size() ? " or " : ", ";
    text += std::to_string(codes[k].value);
    text += " (";
    text.append(codes[k].meaning);
    text += ')';
  }
  return text;
}

}  // namespace slurry1d::questions
