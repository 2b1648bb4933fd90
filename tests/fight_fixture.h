// The fight code driven directly against the simulated game, on a state of
// the test's own: no module, no globals.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fight/fight_context.h"
#include "fight/fight_state.h"
#include "fight/weapons.h"
#include "host/random.h"
#include "settings/fight_settings.h"
#include "sim/game.h"

namespace ruckvale::testing_support {

class FightTest : public ::testing::Test {
 public:
  void SetUp() override {
    sim::SetActiveGame(&game);
    ResetFightState(fight);
    BuildWeaponCatalogue(catalogue);
    game.calls.clear();
    SeedRandom(random, 12345);
  }
  void TearDown() override { sim::SetActiveGame(nullptr); }

  // What the fight code reads and draws from, bound to this test's state.
  FightContext Context() { return FightContext{settings, catalogue, random}; }

  // How many draws `body` took from the generator.
  int DrawsTakenBy(const std::function<void()>& body) {
    constexpr std::uint32_t kSeed = 777;
    SeedRandom(random, kSeed);
    body();
    const int next = NextRandom(random);
    SeedRandom(random, kSeed);
    for (int used = 0; used < 1000; ++used) {
      if (NextRandom(random) == next) return used;
    }
    return -1;
  }

  // Seeds the generator so that its next draw is c modulo 100.
  void SeedForDraw(int c) { SeedForDraw(c, 100); }
  // Seeds the generator so that its next draw is c modulo n.
  void SeedForDraw(int c, int n) {
    for (std::uint32_t seed = 0;; ++seed) {
      SeedRandom(random, seed);
      if (NextRandom(random) % n == c) {
        SeedRandom(random, seed);
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
  FightState fight;
  FightSettings settings;
  WeaponCatalogue catalogue;
  std::uint32_t random = 1;
};

}  // namespace ruckvale::testing_support
