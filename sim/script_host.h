// Runs the module the way the hook and the loader do: loads it (DllMain,
// which registers the script), runs the registered script on a fiber of its
// own one pass per frame (scriptWait(0) hands control back), and unloads it.
#pragma once

#include <memory>

#include "sim/game.h"

namespace ruckvale::sim {

class ScriptHost {
 public:
  explicit ScriptHost(Game& game);
  ~ScriptHost();
  ScriptHost(const ScriptHost&) = delete;
  ScriptHost& operator=(const ScriptHost&) = delete;

  // Loads the module: process attach, so the module registers its script.
  void Load();
  // Starts the registered script on a new fiber, as the hook does at game
  // start and again after every game reload. The old fiber is dropped.
  void StartScript();
  // Resumes the script for one frame, until it next calls scriptWait.
  // Returns false when no script is running.
  bool RunFrame();
  // Process detach: the module withdraws its script.
  void Unload();

  struct Impl;

 private:
  Game& game_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ruckvale::sim
