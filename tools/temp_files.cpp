#include "tools/temp_files.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

#include "sim/run_files.h"

namespace ruckvale::tools {

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
// is cut short. Null, with `error`, when it cannot be made. Leftovers of runs
// killed outright go first.
std::FILE* CreateTemp(const fs::path& folder, fs::path& path, std::string& error) {
  const fs::path where = folder.empty() ? fs::path(".") : folder;
  sim::RemoveLeftovers(where, kTempPrefix);
  std::random_device entropy;
  std::string tag;
  try {
    tag = sim::RunTagIn(where, kTempPrefix);
  } catch (const std::exception&) {
    error = "cannot create a file in '" + sim::Utf8Of(where) + "'";
    return nullptr;
  }
  path = where / sim::PathOf(tag + std::to_string(entropy() % 1000000000u) + ".tmp");
  std::FILE* file = sim::OpenFile(path, "w+b");
  if (file == nullptr) {
    error = "cannot create '" + sim::Utf8Of(path) + "': " + std::strerror(errno);
    path.clear();
    return nullptr;
  }
  sim::RegisterTemp(path, false);
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
    sim::ForgetTemp(path);
  }
  path.clear();
}

}  // namespace

AtomicFile::~AtomicFile() {
  Discard();
}

bool AtomicFile::Open(const std::string& target, std::string& error) {
  Discard();
  target_ = Destination(sim::PathOf(target));
  std::error_code ec;
  const fs::file_status st = fs::status(target_, ec);
  if (fs::exists(st) && !fs::is_regular_file(st)) {
    // Never replace a device, a FIFO or a folder with a file.
    error = "'" + target + "' is not a regular file";
    return false;
  }
  if (fs::exists(st) && (st.permissions() & fs::perms::owner_write) == fs::perms::none) {
    error = "'" + target + "' is read-only";
    return false;
  }
  file_ = CreateTemp(target_.parent_path(), temp_, error);
  return file_ != nullptr;
}

bool AtomicFile::Commit(std::string& error) {
  const std::string target = sim::Utf8Of(target_);
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
  fs::rename(temp_, target_, ec);
  if (ec) {
    error = "cannot rename '" + sim::Utf8Of(temp_) + "' to '" + target + "': " + ec.message();
    Discard();
    return false;
  }
  sim::ForgetTemp(temp_);
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
  file_ = CreateTemp(Destination(sim::PathOf(near)).parent_path(), path_, error);
  return file_ != nullptr;
}

void ScratchFile::Remove() {
  RemoveTemp(file_, path_);
}

}  // namespace ruckvale::tools
