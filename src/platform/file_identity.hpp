#pragma once

// What makes a file the same file whatever path names it: the device and
// inode number on POSIX systems, the volume serial number and file index on
// Windows. Two names of one file (a hard link, a symbolic link, "dir/../x",
// "X" and "x" on a case-blind volume) have equal identities; two files that
// exist side by side never do.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace slurry1d::platform {

struct FileIdentity {
  std::uint64_t volume = 0;  // st_dev, or the volume serial number
  std::uint64_t file = 0;    // st_ino, or the 64-bit file index

  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the file or directory at path (symbolic links followed), or
// nothing when there is none or it cannot be looked at.
std::optional<FileIdentity> file_identity(const std::filesystem::path& path);

// The identity of the regular file that standard input is redirected from,
// or nothing when it reads from a terminal, a pipe or a device.
std::optional<FileIdentity> stdin_identity();

}  // namespace slurry1d::platform
