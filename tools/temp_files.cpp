#include "tools/temp_files.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#if defined(_WIN32)
#include <direct.h>
#define RUCKVALE_RMDIR _rmdir
#else
#include <unistd.h>
#define RUCKVALE_RMDIR rmdir
#endif

namespace ruckvale::tools {

namespace {

namespace fs = std::filesystem;

// A fixed table, so that the signal handler reads only plain memory.
struct TempSlot {
  volatile std::sig_atomic_t used = 0;
  bool folder = false;
  char path[4096] = {};
};
TempSlot g_slots[8];

extern "C" void RemoveAndReraise(int sig) {
  // Files before folders: a folder goes only once it is empty.
  for (int pass = 0; pass < 2; ++pass) {
    for (TempSlot& slot : g_slots) {
      if (slot.used == 0 || slot.folder != (pass == 1)) continue;
      if (slot.folder) {
        RUCKVALE_RMDIR(slot.path);
      } else {
        std::remove(slot.path);
      }
    }
  }
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

}  // namespace

void RemoveTempFilesOnSignals() {
  std::signal(SIGINT, RemoveAndReraise);
  std::signal(SIGTERM, RemoveAndReraise);
#if defined(SIGHUP)
  std::signal(SIGHUP, RemoveAndReraise);
#endif
}

void RegisterTemp(const std::string& path, bool folder) {
  for (TempSlot& slot : g_slots) {
    if (slot.used != 0 || path.size() >= sizeof slot.path) continue;
    std::memcpy(slot.path, path.c_str(), path.size() + 1);
    slot.folder = folder;
    slot.used = 1;
    return;
  }
}

void ForgetTemp(const std::string& path) {
  for (TempSlot& slot : g_slots) {
    if (slot.used != 0 && path == slot.path) slot.used = 0;
  }
}

namespace {

// Creates a file named `base` and a random suffix, registered for removal on
// a signal; its path goes to `path`. Null, with `error`, when it cannot be made.
std::FILE* CreateTemp(const std::string& base, std::string& path, std::string& error) {
  std::random_device entropy;
  path = base + ".tmp-" + std::to_string(entropy() % 1000000000u);
  std::FILE* file = std::fopen(path.c_str(), "w+b");
  if (file == nullptr) {
    error = "cannot create '" + path + "': " + std::strerror(errno);
    path.clear();
    return nullptr;
  }
  RegisterTemp(path, false);
  return file;
}

// Closes and removes a file CreateTemp made, and forgets it; both are
// cleared. Nothing happens for an empty path.
void RemoveTemp(std::FILE*& file, std::string& path) {
  if (file != nullptr) std::fclose(file);
  file = nullptr;
  if (!path.empty()) {
    std::remove(path.c_str());
    ForgetTemp(path);
  }
  path.clear();
}

}  // namespace

AtomicFile::~AtomicFile() {
  Discard();
}

bool AtomicFile::Open(const std::string& target, std::string& error) {
  Discard();
  target_ = target;
  std::error_code ec;
  const fs::file_status st = fs::status(target, ec);
  if (fs::exists(st) && !fs::is_regular_file(st)) {
    // Never replace a device, a FIFO or a folder with a file.
    error = "'" + target + "' is not a regular file";
    return false;
  }
  // A link keeps pointing where it did: its target is the file written.
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    const fs::path resolved = fs::canonical(target, ec);
    if (!ec) target_ = resolved.string();
  }
  file_ = CreateTemp(target_, temp_, error);
  return file_ != nullptr;
}

bool AtomicFile::Commit(std::string& error) {
  if (file_ == nullptr) {
    error = "nothing to write to '" + target_ + "'";
    return false;
  }
  const bool written = std::fflush(file_) == 0 && std::ferror(file_) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!written || !closed) {
    error = "cannot write '" + target_ + "' (disk full?)";
    Discard();
    return false;
  }
  std::error_code ec;
  fs::rename(temp_, target_, ec);
  if (ec) {
    error = "cannot rename '" + temp_ + "' to '" + target_ + "': " + ec.message();
    Discard();
    return false;
  }
  ForgetTemp(temp_);
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
  file_ = CreateTemp(near, path_, error);
  return file_ != nullptr;
}

void ScratchFile::Remove() {
  RemoveTemp(file_, path_);
}

}  // namespace ruckvale::tools
