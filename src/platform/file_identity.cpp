#include "platform/file_identity.hpp"

#include "platform/native.hpp"

namespace slurry1d::platform {

#ifdef _WIN32

namespace {

std::optional<FileIdentity> identity_of_handle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(handle, &info) == 0) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

}  // namespace

std::optional<FileIdentity> file_identity(const std::filesystem::path& path) {
  // No access rights are asked for, only the attributes; the share flags let
  // a file that another program holds open be looked at all the same, and
  // FILE_FLAG_BACKUP_SEMANTICS lets a directory be opened.
  const HANDLE handle =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  const std::optional<FileIdentity> identity = identity_of_handle(handle);
  CloseHandle(handle);
  return identity;
}

std::optional<FileIdentity> stdin_identity() {
  const HANDLE handle = stdin_handle();
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK) return std::nullopt;
  return identity_of_handle(handle);
}

#else

namespace {

FileIdentity identity_of_status(const struct stat& status) {
  return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                      static_cast<std::uint64_t>(status.st_ino)};
}

}  // namespace

std::optional<FileIdentity> file_identity(const std::filesystem::path& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return std::nullopt;
  return identity_of_status(status);
}

std::optional<FileIdentity> stdin_identity() {
  struct stat status;
  if (fstat(fileno(stdin), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return identity_of_status(status);
}

#endif

}  // namespace slurry1d::platform
