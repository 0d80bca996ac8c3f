#pragma once

// Where the answers come from, as far as the run must know it before it
// creates a file: an answer file that is one of the run's own files would be
// overwritten (the echo file "input" even before its first line is read).

#include <filesystem>
#include <optional>
#include <string>

#include "platform/file_identity.hpp"

namespace slurry1d {

// The message refusing a run whose answers are read from the file at `output`
// (the same file under whatever name: a hard or symbolic link counts), or an
// empty text when they come from elsewhere: a terminal, a pipe, another file,
// or no file exists at `output` yet.
std::string overwrite_refusal(const std::optional<platform::FileIdentity>& answers,
                              const std::filesystem::path& output);

}  // namespace slurry1d
