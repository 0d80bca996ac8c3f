#include "driver/answer_source.hpp"

namespace slurry1d {

std::string overwrite_refusal(const std::optional<platform::FileIdentity>& answers,
                              const std::filesystem::path& output) {
  if (!answers) return {};
  const std::optional<platform::FileIdentity> existing = platform::file_identity(output);
  if (!existing || *existing != *answers) return {};
  return "the answers are read from \"" + output.string() +
         "\", a file this run writes: it would be overwritten. Copy the answers to a file of "
         "another name, or run the case in a directory of its own";
}

}  // namespace slurry1d
