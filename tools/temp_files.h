// The temporary files and folders of one ruckvale-sim run, and what removes
// them: the owner when the run ends, or a handler when SIGINT, SIGTERM or
// SIGHUP kills the run first. No temporary file outlives the run.
#pragma once

#include <cstdio>
#include <string>

namespace ruckvale::tools {

// Removes every registered path, then lets the signal end the process as it
// would have. Call once, before the first path is registered.
void RemoveTempFilesOnSignals();

// Registers `path` (a file, or an empty folder when `folder`) for removal on a
// signal; Forget withdraws it once its owner has removed or kept it.
void RegisterTemp(const std::string& path, bool folder);
void ForgetTemp(const std::string& path);

// A file written beside its target under a temporary name and renamed over
// the target only by Commit, so that a full disk or a killed run never leaves
// a truncated target behind.
class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file; false, with `error`, when it cannot be made.
  bool Open(const std::string& target, std::string& error);
  std::FILE* file() const { return file_; }
  // Flushes, closes and renames over the target; false, with `error`, when
  // any write failed (the temporary file is then removed).
  bool Commit(std::string& error);

 private:
  void Discard();
  std::string target_, temp_;
  std::FILE* file_ = nullptr;
};

// A scratch file for the length of a run: made under a temporary name beside
// a path, registered for removal on a signal, and removed when it goes out of
// scope. It never becomes a file of the user's.
class ScratchFile {
 public:
  ScratchFile() = default;
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Creates the file beside `near`; false, with `error`, when it cannot be made.
  bool Open(const std::string& near, std::string& error);
  std::FILE* file() const { return file_; }

 private:
  void Remove();
  std::string path_;
  std::FILE* file_ = nullptr;
};

}  // namespace ruckvale::tools
