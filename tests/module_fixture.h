// A module run in the simulated game, with helpers to look at its passes.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sim/module_run.h"

namespace ruckvale::testing_support {

// F12's virtual-key code, the default trigger key, stated as the tests' own literal.
inline constexpr int kF12 = 123;

// The calls of one pass: everything after one scriptWait up to and including the next.
using Pass = std::vector<const sim::Call*>;

class ModuleTest : public ::testing::Test {
 protected:
  // Starts the module with `ini` as its Ruckvale.ini (nullopt: no file).
  void Start(const std::optional<std::string>& ini = std::nullopt) {
    folder_.emplace(ini);
    run_.Start();
  }

  sim::World& world() { return run_.game.world; }
  sim::Game& game() { return run_.game; }

  // Runs one pass at the current tick and returns its calls.
  Pass RunPass(std::uint32_t advance_ms = 33) {
    const std::size_t mark = run_.Mark();
    run_.Frame(advance_ms);
    Pass pass;
    for (std::size_t i = mark; i < run_.game.calls.size(); ++i) pass.push_back(&run_.game.calls[i]);
    return pass;
  }
  // Holds `key` down for one pass and returns the pass that finds it released.
  Pass ReleaseKey(int key = kF12, std::uint32_t advance_ms = 33) {
    world().keys_down[key] = 1;
    RunPass(advance_ms);
    world().keys_down[key] = 0;
    return RunPass(advance_ms);
  }
  // n human peds in a row east of the player, 2 to n + 1 units away.
  void AddRow(int n) {
    for (int i = 0; i < n; ++i) world().AddPed(static_cast<float>(i + 2), 0);
  }
  // Runs one pass at the given tick.
  Pass RunPassAt(std::uint32_t tick) {
    world().tick = tick;
    return RunPass(0);
  }

  static std::vector<std::string> Names(const Pass& pass) {
    std::vector<std::string> names;
    for (const sim::Call* c : pass) names.push_back(c->name);
    return names;
  }
  static int Count(const Pass& pass, const std::string& name) {
    int n = 0;
    for (const sim::Call* c : pass) n += c->name == name ? 1 : 0;
    return n;
  }
  // Fight starts in a pass: each asks the game once for the peds nearby.
  static int FightStarts(const Pass& pass) { return Count(pass, "GET_PED_NEARBY_PEDS"); }
  // The calls of `pass` named `name`.
  static std::vector<const sim::Call*> Only(const Pass& pass, const std::string& name) {
    std::vector<const sim::Call*> out;
    for (const sim::Call* c : pass) {
      if (c->name == name) out.push_back(c);
    }
    return out;
  }

  std::optional<sim::IniFolder> folder_;
  sim::ModuleRun run_;
};

}  // namespace ruckvale::testing_support
