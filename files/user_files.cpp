#include "files/user_files.h"

#include <cctype>
#include <optional>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <system_error>

#include "files/run_files.h"

namespace ruckvale::files {

namespace {

namespace fs = std::filesystem;

// The prefix of the temporary files' names; a run's process id follows.
constexpr char kTempPrefix[] = ".ruckvale-";

// The file a write to `target` lands in: the file a link names, whether or
// not it exists yet, else `target` itself.
fs::path Destination(const fs::path& target) {
  fs::path p = target;
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
    const fs::path to = fs::read_symlink(p, ec);
    if (ec) break;
    p = to.is_absolute() ? to : p.parent_path() / to;
  }
  return p;
}

// Creates a file with a short temporary name in `folder` (so that a long
// target name never makes it too long), registered for removal when the run
// is cut short. Null, with `error`, when it cannot be made.
std::FILE* CreateTemp(const fs::path& folder, fs::path& path, std::string& error) {
  const fs::path where = folder.empty() ? fs::path(".") : folder;
  try {
    path = files::NewRunPath(where, kTempPrefix, ".tmp");
  } catch (const std::exception&) {
    error = "no file can be made in its folder";
    return nullptr;
  }
  std::FILE* file = files::OpenFile(path, "w+b");
  if (file == nullptr) {
    error = std::string("no file can be made in its folder: ") + std::strerror(errno);
    path.clear();
    return nullptr;
  }
  if (!files::RegisterTemp(path, false)) {
    std::fclose(file);
    std::error_code ignored;
    fs::remove(path, ignored);
    path.clear();
    error = "its folder's path is too long for the run to clean up after itself";
    return nullptr;
  }
  return file;
}

// Closes and removes a file CreateTemp made, and forgets it; both are
// cleared. Nothing happens for an empty path.
void RemoveTemp(std::FILE*& file, fs::path& path) {
  if (file != nullptr) std::fclose(file);
  file = nullptr;
  if (!path.empty()) {
    std::error_code ignored;
    fs::remove(path, ignored);
    files::ForgetTemp(path);
  }
  path.clear();
}

// Why `name` can name no file the tool should write, or nullopt: no name at
// all, a control byte (a newline breaks every listing), and on Windows the
// characters it refuses and the names of devices.
std::optional<std::string> UnusableName(const std::string& name) {
  if (name.empty()) return "no file name";
  for (const char ch : name) {
    if (static_cast<unsigned char>(ch) < 0x20) return "the name holds a control character";
  }
#if defined(_WIN32)
  const fs::path file = files::PathOf(name).filename();
  if (files::Utf8Of(file).find_first_of("<>:\"|?*") != std::string::npos) {
    return "Windows refuses < > : \" | ? * in a file name";
  }
  std::string stem = files::Utf8Of(file.stem());
  for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const char* const kDevices[] = {
      "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
      "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
  for (const char* device : kDevices) {
    if (stem == device) return "'" + stem + "' names a device on Windows, not a file";
  }
#endif
  return std::nullopt;
}

// Why the file at `target` cannot be replaced, or nullopt: another user's
// file in a folder with the sticky bit (/tmp) can be read but not replaced.
std::optional<std::string> CannotReplace(const fs::path& target, const fs::file_status& st) {
#if defined(_WIN32)
  (void)target;
  (void)st;
#else
  struct stat file {};
  struct stat folder {};
  const fs::path parent = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  if (fs::exists(st) && stat(target.c_str(), &file) == 0 && stat(parent.c_str(), &folder) == 0 &&
      (folder.st_mode & S_ISVTX) != 0 && file.st_uid != geteuid() && folder.st_uid != geteuid() &&
      geteuid() != 0) {
    return "another user's file in a folder only its owners may replace files in";
  }
#endif
  return std::nullopt;
}

}  // namespace

AtomicFile::~AtomicFile() {
  Discard();
}

bool AtomicFile::Open(const std::string& target, std::string& error) {
  Discard();
  if (std::optional<std::string> why = UnusableName(target)) {
    error = "cannot write '" + target + "': " + *why;
    return false;
  }
  target_ = Destination(files::PathOf(target));
  std::error_code ec;
  const fs::file_status st = fs::status(target_, ec);
  if (std::optional<std::string> why = CannotReplace(target_, st)) {
    error = "cannot write '" + target + "': " + *why;
    return false;
  }
  keep_mode_ = fs::exists(st) ? std::optional<fs::perms>(st.permissions()) : std::nullopt;
  if (fs::exists(st) && !fs::is_regular_file(st)) {
    // Never replace a device, a FIFO or a folder with a file.
    error = "'" + target + "' is not a regular file";
    return false;
  }
  if (fs::exists(st) && (st.permissions() & fs::perms::owner_write) == fs::perms::none) {
    error = "'" + target + "' is read-only";
    return false;
  }
  std::string why;
  file_ = CreateTemp(target_.parent_path(), temp_, why);
  if (file_ == nullptr) error = "cannot write '" + target + "': " + why;
  return file_ != nullptr;
}

bool AtomicFile::Commit(std::string& error) {
  const std::string target = files::Utf8Of(target_);
  if (file_ == nullptr) {
    error = "nothing to write to '" + target + "'";
    return false;
  }
  const bool written = std::fflush(file_) == 0 && std::ferror(file_) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!written || !closed) {
    error = "cannot write '" + target + "' (disk full?)";
    Discard();
    return false;
  }
  std::error_code ec;
  // The file it replaces keeps its mode (not its owner, which only root may set).
  if (keep_mode_) fs::permissions(temp_, *keep_mode_, ec);
  fs::rename(temp_, target_, ec);
  if (ec) {
    error = "cannot write '" + target + "': " + ec.message();
    Discard();
    return false;
  }
  files::ForgetTemp(temp_);
  temp_.clear();
  return true;
}

void AtomicFile::Discard() {
  RemoveTemp(file_, temp_);
}

ScratchFile::~ScratchFile() {
  Remove();
}

bool ScratchFile::Open(const std::string& near, std::string& error) {
  Remove();
  std::string why;
  file_ = CreateTemp(Destination(files::PathOf(near)).parent_path(), path_, why);
  if (file_ == nullptr) error = "cannot write '" + near + "': " + why;
  return file_ != nullptr;
}

void ScratchFile::Remove() {
  RemoveTemp(file_, path_);
}

}  // namespace ruckvale::files
