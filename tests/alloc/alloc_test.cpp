// What the module allocates per pass, and what becomes of a pass when an
// allocation fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>

#include "counting_allocator.h"
#include "fight/fight_state.h"
#include "host/module_state.h"
#include "settings/fight_settings.h"
#include "sim/game_hash.h"
#include "sim/module_run.h"

namespace ruckvale {
namespace {

using testing_support::Allocations;

constexpr int kF12 = 123;  // the default trigger key

// A module run whose passes report the module's allocations.
class AllocRun {
 public:
  AllocRun(const std::string& ini, int peds) : folder_(ini) {
    for (int i = 0; i < peds; ++i) {
      run_.game.world.AddPed(2.0f + static_cast<float>(i % 8), static_cast<float>(i / 8));
    }
    run_.game.record = false;  // the game's recording is not the module's cost
    run_.game.world.tick = 100000;
    run_.Start();
  }
  sim::World& world() { return run_.game.world; }
  void Frame() { run_.Frame(); }
  // Allocations of the module in one pass.
  std::uint64_t Pass() {
    const std::uint64_t before = Allocations().module_allocations;
    run_.Frame();
    return Allocations().module_allocations - before;
  }
  std::uint64_t Press() {
    world().keys_down[kF12] = 1;
    const std::uint64_t n = Pass();
    world().keys_down[kF12] = 0;
    return n + Pass();
  }
  // Some fighters drop out of combat and one is gone: supervision and pruning work.
  void StirTheFight() {
    for (sim::SimPed& p : world().peds) p.in_combat = p.handle % 3 == 0;
    if (!Module().fight.roster.empty()) {
      world().Find(Module().fight.roster.back().ped)->exists = false;
    }
  }

 private:
  sim::IniFolder folder_;
  sim::ModuleRun run_;
};

TEST(Allocations, GatedAndIdlePassesAllocateNothing) {
  Allocations() = {};
  AllocRun run("fight_timer=100000\n", 10);
  run.Pass();  // start-up may allocate
  run.world().reset_flag = true;
  for (int i = 0; i < 50; ++i) EXPECT_EQ(run.Pass(), 0u) << "gated pass " << i;
  run.world().reset_flag = false;
  for (int i = 0; i < 50; ++i) EXPECT_EQ(run.Pass(), 0u) << "idle pass " << i;
}

// Notices queued, held back, replaced, posted and dropped allocate nothing.
TEST(Allocations, NoticesAllocateNothingAfterTheStart) {
  Allocations() = {};
  constexpr int kT = 'T';
  AllocRun run("notify=true\ntoggle_key=T\nfight_timer=100000\n", 0);
  run.world().screen.hud_hidden = true;
  run.Pass();  // start-up may allocate
  for (int i = 0; i < 3; ++i) {
    run.world().keys_down[kT] = 1;
    EXPECT_EQ(run.Pass(), 0u) << "toggle " << i;
    run.world().keys_down[kT] = 0;
    EXPECT_EQ(run.Pass(), 0u) << "toggle " << i;
  }
  run.world().screen.hud_hidden = false;
  EXPECT_EQ(run.Pass(), 0u) << "posted";
  run.world().screen.pause_menu = true;
  run.world().keys_down[kT] = 1;
  run.Pass();
  run.world().keys_down[kT] = 0;
  for (int i = 0; i < 400; ++i) EXPECT_EQ(run.Pass(), 0u) << "held, then dropped: pass " << i;
}

// With the probe on too: its samples, last looks and log lines allocate nothing.
TEST(Allocations, NoPassAllocatesOnceTheScriptHasStarted) {
  for (const std::string probe : {"", "probe=true\n"})
    for (const int size : {2, 8, 32}) {
      Allocations() = {};
      AllocRun run(probe + "fight_timer=100000\nfight_group_size=" + std::to_string(size) + "\n",
                   40);
      run.Pass();
      for (int fight = 0; fight < 3; ++fight) {
        EXPECT_EQ(run.Press(), 0u) << "fight of " << size;
        ASSERT_EQ(Module().fight.roster.size(), static_cast<std::size_t>(size));
        run.StirTheFight();
        for (int i = 0; i < 100; ++i) {
          run.world().tick += 100;
          EXPECT_EQ(run.Pass(), 0u) << "pass " << i << " of a fight of " << size;
        }
      }
    }
}

// The fight state as a failed pass may leave it: as before, or a whole new fight.
struct FightSnapshot {
  FightRoster roster;
  std::vector<std::pair<Ped, std::uint32_t>> retask;
  FightGroups groups;
};

FightSnapshot Snapshot() {
  return {Module().fight.roster, Module().fight.retask_times.entries(), Module().fight.groups};
}

void ExpectWholeOrUntouched(const FightSnapshot& before, int group_size, const std::string& where) {
  const FightSnapshot after = Snapshot();
  const bool untouched = after.roster == before.roster && after.retask == before.retask;
  std::set<Ped> distinct;
  for (const RosterEntry& e : after.roster) distinct.insert(e.ped);
  const bool whole_new = after.roster.size() == static_cast<std::size_t>(group_size) &&
                         distinct.size() == after.roster.size() &&
                         std::all_of(after.retask.begin(), after.retask.end(),
                                     [&](const auto& e) { return distinct.count(e.first) == 1; });
  EXPECT_TRUE(untouched || whole_new) << where;
  const bool groups_as_before = after.groups.group1_slot == before.groups.group1_slot &&
                                after.groups.group2_slot == before.groups.group2_slot;
  const bool groups_made = after.groups.Group1Hash() == sim::GameHash("BRAWL_GROUP_1") &&
                           after.groups.Group2Hash() == sim::GameHash("BRAWL_GROUP_2");
  EXPECT_TRUE(groups_as_before || groups_made) << where;
}

// The game holds persistent exactly the module's fighters: a failed start
// leaves no mission entity the module no longer knows.
void ExpectGameKeepsTheRoster(const sim::World& world, const std::string& where) {
  std::set<Ped> kept;
  for (const sim::SimPed& p : world.peds) {
    if (p.exists && p.mission_entity && !p.story_owned) kept.insert(p.handle);
  }
  std::set<Ped> roster;
  for (const RosterEntry& e : Module().fight.roster) roster.insert(e.ped);
  EXPECT_EQ(kept, roster) << where;
}

// Runs the scenario with the n-th module allocation failing (0: none);
// returns how many module allocations it made.
std::uint64_t RunWithFailure(std::uint64_t n, bool starve_start_up) {
  Allocations() = {};
  AllocRun run("fight_timer=100000\nfight_group_size=4\nmelee_chance=30\n", 7);
  Allocations().fail_all = starve_start_up;
  run.Frame();  // start-up
  Allocations().fail_all = false;
  const std::uint64_t base = Allocations().module_allocations;
  Allocations().fail_at = n == 0 ? 0 : base + n;
  Allocations().failed = false;
  auto pass = [&](const std::string& where) {
    const FightSnapshot before = Snapshot();
    const bool failed_before = Allocations().failed;
    run.Frame();
    ExpectGameKeepsTheRoster(run.world(), where + ", failing allocation " + std::to_string(n));
    run.world().tick += 300;
    if (Allocations().failed && !failed_before) {
      ExpectWholeOrUntouched(before, starve_start_up ? 2 : 4,
                             where + ", failing allocation " + std::to_string(n));
    }
  };
  for (int round = 0; round < 3; ++round) {
    run.world().keys_down[kF12] = 1;
    pass("key down");
    run.world().keys_down[kF12] = 0;
    pass("fight start");
    for (sim::SimPed& p : run.world().peds) p.in_combat = false;
    for (int i = 0; i < 12; ++i) pass("supervision");
  }
  // Whatever failed, the last fight start was whole (a starved start-up
  // could not read the ini: the default group size holds).
  EXPECT_EQ(Module().fight.roster.size(), starve_start_up ? 2u : 4u) << "failing allocation " << n;
  return Allocations().module_allocations - base;
}

TEST(FailingMemory, EveryAllocationOfAFightMayFail) {
  for (const bool starve : {false, true}) {
    const std::uint64_t total = RunWithFailure(0, starve);
    std::printf("%s start-up: %llu module allocations after it\n", starve ? "starved" : "normal",
                static_cast<unsigned long long>(total));
    if (starve) {
      EXPECT_GT(total, 0u);  // nothing was reserved, so fights allocate
    }
    for (std::uint64_t n = 1; n <= total; ++n) RunWithFailure(n, starve);
  }
}

TEST(FailingMemory, StartUpAllocationsMayFailToo) {
  Allocations() = {};
  for (std::uint64_t n = 1; n <= 40; ++n) {
    Allocations() = {};
    Allocations().fail_at = n;
    AllocRun run("fight_group_size=2\nfight_timer=100000\n", 3);
    run.Frame();
    run.Press();
    EXPECT_EQ(Module().fight.roster.size(), 2u) << "failing start-up allocation " << n;
  }
}

}  // namespace
}  // namespace ruckvale
