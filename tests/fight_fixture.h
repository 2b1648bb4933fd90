// The fight code driven directly against the simulated game.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fight/fight_state.h"
#include "fight/weapons.h"
#include "host/module_state.h"
#include "host/random.h"
#include "settings/fight_settings.h"
#include "sim/game.h"

namespace ruckvale::testing_support {

class FightTest : public ::testing::Test {
 public:
  void SetUp() override {
    sim::SetActiveGame(&game);
    Module() = ModuleState{};
    ResetFightState();
    BuildWeaponCatalogue();
    game.calls.clear();
    SeedRandom(12345);
  }
  void TearDown() override { sim::SetActiveGame(nullptr); }

  // How many draws `body` took from the generator.
  static int DrawsTakenBy(const std::function<void()>& body) {
    constexpr std::uint32_t kSeed = 777;
    SeedRandom(kSeed);
    body();
    const int next = NextRandom();
    SeedRandom(kSeed);
    for (int used = 0; used < 1000; ++used) {
      if (NextRandom() == next) return used;
    }
    return -1;
  }

  // Seeds the generator so that its next draw is c modulo 100.
  static void SeedForDraw(int c) { SeedForDraw(c, 100); }
  // Seeds the generator so that its next draw is c modulo n.
  static void SeedForDraw(int c, int n) {
    for (std::uint32_t seed = 0;; ++seed) {
      SeedRandom(seed);
      if (NextRandom() % n == c) {
        SeedRandom(seed);
        return;
      }
    }
  }

  std::vector<const sim::Call*> Calls(const std::string& name) const { return game.Find(name); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const sim::Call& c : game.calls) names.push_back(c.name);
    return names;
  }

  sim::Game game;
  sim::World& world = game.world;
};

}  // namespace ruckvale::testing_support
