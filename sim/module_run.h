// A run of the module in the simulated game: a working directory holding the
// ini, the game, the script host, and the frame loop.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "sim/game.h"
#include "sim/script_host.h"

namespace ruckvale::sim {

// While it lives, the working directory is a fresh temporary folder holding
// "Ruckvale.ini" with the given text (no file for nullopt): the module reads
// its ini from the working directory, as in the game's folder.
// The prefix of a run folder's name; the run's process id follows.
inline constexpr char kRunFolderPrefix[] = "ruckvale-run-";

class IniFolder {
 public:
  explicit IniFolder(const std::optional<std::string>& ini);
  // The user's own file, by absolute path in UTF-8: "Ruckvale.ini" is a link to it, or,
  // where links cannot be made, a whole copy. Throws
  // std::filesystem::filesystem_error when neither can be made: the module is
  // never handed part of a file.
  struct LinkTo {
    std::string path;
  };
  explicit IniFolder(const LinkTo& file);
  ~IniFolder();
  IniFolder(const IniFolder&) = delete;
  IniFolder& operator=(const IniFolder&) = delete;
  // Replaces the file (or removes it, for nullopt).
  void Write(const std::optional<std::string>& ini);
  // The temporary folder, and the ini in it.
  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path file() const;

 private:
  void Enter();
  std::filesystem::path previous_;
  std::filesystem::path folder_;
};

class ModuleRun {
 public:
  ModuleRun();
  ~ModuleRun();

  Game game;
  ScriptHost host{game};

  // Loads the module and starts its script (it reads the ini at its first frame).
  void Start();
  // One frame: one pass at the current tick, then the tick advances by `ms`
  // (wrapping from 2^32 - 1 to 0).
  void Frame(std::uint32_t ms = 33);
  // `n` frames of `ms` each.
  void Frames(int n, std::uint32_t ms = 33);
  // The number of calls recorded so far, to look at what came after it.
  std::size_t Mark() const { return game.calls.size(); }
};

}  // namespace ruckvale::sim
