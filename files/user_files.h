// The files a ruckvale-sim run writes for the user: each is written under a
// temporary name in its destination's folder and appears under its own name
// only when complete. The temporary files are registered with the run's
// clean-up (files/run_files.h), so none outlives the run.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace ruckvale::files {

// A file written beside its target under a temporary name and renamed over
// the target only by Commit, so that a full disk or a killed run never leaves
// a truncated target behind. A link keeps pointing where it did: the file it
// names is the one written.
class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file for `target` (UTF-8); false, with `error`
  // naming the target, when it has no name or a name no file may have, is
  // not a regular file, is read-only, is another user's in a sticky folder,
  // or the temporary file cannot be made.
  bool Open(const std::string& target, std::string& error);
  std::FILE* file() const { return file_; }
  // Flushes, closes and renames over the target; false, with `error`, when
  // any write failed (the temporary file is then removed).
  bool Commit(std::string& error);

 private:
  void Discard();
  std::filesystem::path target_, temp_;
  std::FILE* file_ = nullptr;
  std::optional<std::filesystem::perms> keep_mode_;  // of the file it replaces
};

// A scratch file for the length of a run: made under a temporary name in a
// folder, registered for removal on a signal, and removed when it goes out of
// scope. It never becomes a file of the user's.
class ScratchFile {
 public:
  ScratchFile() = default;
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Creates the file in the folder of `near` (UTF-8); false, with `error`,
  // when it cannot be made.
  bool Open(const std::string& near, std::string& error);
  std::FILE* file() const { return file_; }

 private:
  void Remove();
  std::filesystem::path path_;
  std::FILE* file_ = nullptr;
};

}  // namespace ruckvale::files
