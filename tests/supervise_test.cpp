// Keeping a fight going: re-tasking idle fighters and pruning gone ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "fight/start_fight.h"
#include "fight/supervise.h"
#include "fight_fixture.h"
#include "host/module_state.h"
#include "module_fixture.h"

namespace ruckvale {
namespace {

using testing_support::FightTest;
using Args = std::vector<std::uint64_t>;

// The roster's peds, in roster order.
std::vector<Ped> RosterPeds(const FightState& fight) {
  std::vector<Ped> peds;
  for (const RosterEntry& e : fight.roster) peds.push_back(e.ped);
  return peds;
}

class SuperviseTest : public FightTest {
 protected:
  // n fighters on alternate sides, as a fight start leaves them.
  std::vector<Ped> Fighters(int n) {
    std::vector<Ped> peds;
    fight.roster.clear();
    for (int i = 0; i < n; ++i) {
      peds.push_back(world.AddPed(static_cast<float>(i + 1), 0));
      fight.roster.push_back({peds.back(), static_cast<std::uint8_t>(1 + i % 2)});
    }
    return peds;
  }

  // Re-tasks issued by one supervision pass at `now`.
  std::vector<const sim::Call*> Supervise(std::uint32_t now) {
    game.calls.clear();
    SuperviseFighters(fight, random, now);
    return Calls("TASK_COMBAT_PED");
  }
};

// Pruning releases each dead or dying fighter to the engine before it tests
// the next; a vanished one is dropped without a call. The game clears 8
// bytes through the release address: the roster must not be that storage.
// The one left stands alone: the fight is over and it is let go, events
// unblocked and its own group back.
TEST_F(SuperviseTest, PruningReleasesTheDeadAndLetsTheLastSideGo) {
  const std::vector<Ped> f = Fighters(4);
  for (const Ped p : f) {
    world.Find(p)->mission_entity = true;
    world.Find(p)->blocking_events = true;
  }
  world.Find(f[0])->life = sim::Life::Dead;
  world.Find(f[1])->life = sim::Life::Dying;
  world.Find(f[2])->exists = false;
  fight.retask_times[f[3]] = 100;
  PruneRoster(fight);
  EXPECT_EQ(Names(),
            (std::vector<std::string>{
                "DOES_ENTITY_EXIST", "IS_PED_DEAD_OR_DYING", "SET_ENTITY_AS_NO_LONGER_NEEDED",
                "DOES_ENTITY_EXIST", "IS_PED_DEAD_OR_DYING", "SET_ENTITY_AS_NO_LONGER_NEEDED",
                "DOES_ENTITY_EXIST", "DOES_ENTITY_EXIST", "IS_PED_DEAD_OR_DYING",
                "SET_BLOCKING_OF_NON_TEMPORARY_EVENTS", "GET_PED_RELATIONSHIP_GROUP_DEFAULT_HASH",
                "SET_PED_RELATIONSHIP_GROUP_HASH", "SET_ENTITY_AS_NO_LONGER_NEEDED"}));
  EXPECT_EQ(world.Find(f[0])->released, 1u);
  EXPECT_EQ(world.Find(f[1])->released, 1u);
  // The dead get the release alone.
  EXPECT_TRUE(world.Find(f[0])->blocking_events);
  EXPECT_EQ(world.Find(f[3])->released, 1u);
  EXPECT_FALSE(world.Find(f[3])->blocking_events);
  EXPECT_EQ(world.Find(f[3])->group, sim::World::DefaultGroup(sim::Species::Human));
  EXPECT_FALSE(world.Find(f[3])->mission_entity);
  EXPECT_TRUE(fight.roster.empty());
  EXPECT_EQ(fight.retask_times.size(), 0u);
}

TEST_F(SuperviseTest, AFightGoesOnWhileBothSidesStand) {
  const std::vector<Ped> f = Fighters(3);
  world.Find(f[1])->life = sim::Life::Dead;
  PruneRoster(fight);  // f[0] and f[2] stand, both of group 1: over
  EXPECT_TRUE(fight.roster.empty());
  Fighters(3);
  game.calls.clear();
  PruneRoster(fight);
  EXPECT_EQ(fight.roster.size(), 3u);
  EXPECT_EQ(Calls("SET_ENTITY_AS_NO_LONGER_NEEDED").size(), 0u);
}

TEST_F(SuperviseTest, AnEmptyRosterCallsNothing) {
  SuperviseFighters(fight, random, 5000);
  PruneRoster(fight);
  EXPECT_TRUE(game.calls.empty());
}

TEST_F(SuperviseTest, BusyFightersAreLeftAlone) {
  const std::vector<Ped> f = Fighters(3);
  for (const Ped p : f) world.Find(p)->in_combat = true;
  EXPECT_TRUE(Supervise(5000).empty());
  for (const Ped p : f) EXPECT_EQ(world.Find(p)->tasks, 0u);
  // Each fighter asked once of each, with the arguments the game expects.
  for (const char* name : {"DOES_ENTITY_EXIST", "IS_PED_DEAD_OR_DYING", "IS_PED_IN_COMBAT"}) {
    EXPECT_EQ(Calls(name).size(), 3u) << name;
  }
  for (const sim::Call* c : Calls("IS_PED_DEAD_OR_DYING")) EXPECT_EQ(c->args[1], 1u);
  for (const sim::Call* c : Calls("IS_PED_IN_COMBAT")) EXPECT_EQ(c->args[1], 0u);
}

TEST_F(SuperviseTest, AnIdleFighterIsRetaskedAtOnceThenRestsTwoSeconds) {
  const std::vector<Ped> f = Fighters(2);
  world.Find(f[1])->in_combat = true;
  SeedForDraw(1, 2);  // the draw picks the other fighter
  const auto first = Supervise(10000);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0]->args,
            (Args{static_cast<std::uint32_t>(f[0]), static_cast<std::uint32_t>(f[1]), 0, 16}));
  EXPECT_EQ(fight.retask_times[f[0]], 10000u);
  EXPECT_TRUE(Supervise(11000).empty());
  EXPECT_TRUE(Supervise(12000).empty());  // exactly 2000 ms: still resting
  SeedForDraw(1, 2);
  EXPECT_EQ(Supervise(12001).size(), 1u);
  EXPECT_EQ(fight.retask_times[f[0]], 12001u);
}

TEST_F(SuperviseTest, TheRestSpansTheTickWrap) {
  const std::vector<Ped> f = Fighters(2);
  world.Find(f[1])->in_combat = true;
  fight.retask_times[f[0]] = 4294966296u;  // 1000 ms before the wrap
  SeedForDraw(1, 2);
  EXPECT_TRUE(Supervise(1000).empty());  // 2000 ms later
  SeedForDraw(1, 2);
  EXPECT_EQ(Supervise(1001).size(), 1u);
}

TEST_F(SuperviseTest, ADeadTargetLeavesTheEntryForTheNextPass) {
  const std::vector<Ped> f = Fighters(2);
  world.Find(f[1])->in_combat = true;
  world.Find(f[1])->life = sim::Life::Dying;  // died this frame, not yet pruned
  EXPECT_TRUE(Supervise(7000).empty());
  ASSERT_NE(fight.retask_times.Find(f[0]), nullptr);
  EXPECT_EQ(*fight.retask_times.Find(f[0]), 0u);  // inserted with 0, not set
  EXPECT_EQ(Calls("IS_PED_DEAD_OR_DYING").back()->args,
            (Args{static_cast<std::uint32_t>(f[1]), 1}));
  EXPECT_EQ(DrawsTakenBy([&] { SuperviseFighters(fight, random, 7000); }),
            1);  // the dying f[1] takes no draw
}

TEST_F(SuperviseTest, AFighterWithNoOpponentLeftIsNeverRetasked) {
  Fighters(1);
  for (std::uint32_t now = 1000; now < 20000; now += 1000) EXPECT_TRUE(Supervise(now).empty());
  EXPECT_EQ(DrawsTakenBy([&] { SuperviseFighters(fight, random, 30000); }), 0);
  // Two of one side: nobody to draw either.
  Fighters(3);
  fight.roster.erase(fight.roster.begin() + 1);
  EXPECT_TRUE(Supervise(40000).empty());
  EXPECT_EQ(DrawsTakenBy([&] { SuperviseFighters(fight, random, 40000); }), 0);
}

TEST_F(SuperviseTest, ATargetThatIsGoneIsNotAttacked) {
  const std::vector<Ped> f = Fighters(2);
  world.Find(f[1])->exists = false;
  for (std::uint32_t seed = 0; seed < 20; ++seed) {
    SeedRandom(random, seed);
    EXPECT_TRUE(Supervise(9000).empty());
  }
  EXPECT_EQ(*fight.retask_times.Find(f[0]), 0u);
}

// Sides 1 2 1 2 1 2: every re-task names a living fighter of the other side,
// drawn among them in roster order.
TEST_F(SuperviseTest, RetasksNameOnlyLivingOpponents) {
  const std::vector<Ped> f = Fighters(6);
  world.Find(f[3])->life = sim::Life::Dead;
  std::set<std::pair<Ped, Ped>> seen;
  for (std::uint32_t seed = 0; seed < 40; ++seed) {
    fight.retask_times.clear();
    SeedRandom(random, seed);
    for (const sim::Call* c : Supervise(4000)) {
      const auto who = static_cast<Ped>(c->args[0]), whom = static_cast<Ped>(c->args[1]);
      const auto side = [&f](Ped p) { return (std::find(f.begin(), f.end(), p) - f.begin()) % 2; };
      EXPECT_NE(side(who), side(whom)) << who << " against " << whom;
      EXPECT_NE(whom, f[3]);
      seen.insert({who, whom});
    }
  }
  // f[0] meets f[1] and f[5]; f[1] meets f[0], f[2] and f[4].
  EXPECT_TRUE(seen.count({f[0], f[1]}) && seen.count({f[0], f[5]}));
  EXPECT_TRUE(seen.count({f[1], f[0]}) && seen.count({f[1], f[2]}) && seen.count({f[1], f[4]}));
  game.calls.clear();
  PruneRoster(fight);
  EXPECT_EQ(RosterPeds(fight), (std::vector<Ped>{f[0], f[1], f[2], f[4], f[5]}));
  // Existence first; dead-or-dying only for those that exist.
  world.Find(f[2])->exists = false;
  game.calls.clear();
  PruneRoster(fight);
  EXPECT_EQ(RosterPeds(fight), (std::vector<Ped>{f[0], f[1], f[4], f[5]}));
  EXPECT_EQ(Names(), (std::vector<std::string>{
                         "DOES_ENTITY_EXIST", "IS_PED_DEAD_OR_DYING", "DOES_ENTITY_EXIST",
                         "IS_PED_DEAD_OR_DYING", "DOES_ENTITY_EXIST", "DOES_ENTITY_EXIST",
                         "IS_PED_DEAD_OR_DYING", "DOES_ENTITY_EXIST", "IS_PED_DEAD_OR_DYING"}));
}

using testing_support::ModuleTest;

// A fighter the game does not report in combat in the start's own pass has
// had its task for less than a frame: the first re-task waits 2000 ms.
TEST_F(ModuleTest, TheFirstRetaskWaitsTwoSecondsFromTheStart) {
  AddRow(4);
  Start("fight_timer=1000\nfight_group_size=4\n");
  RunPass();
  world().keys_down[testing_support::kF12] = 1;
  RunPass();
  world().keys_down[testing_support::kF12] = 0;
  world().tick = 50000;
  const auto start = RunPass();
  ASSERT_EQ(Module().fight.roster.size(), 4u);
  EXPECT_EQ(Only(start, "TASK_COMBAT_PED").size(), 4u);  // the start's own, one each
  EXPECT_EQ(Module().fight.retask_times.size(), 4u);
  for (const auto& [ped, tick] : Module().fight.retask_times.entries()) EXPECT_EQ(tick, 50000u);
  world().tick = 52000;
  EXPECT_EQ(Count(RunPass(0), "TASK_COMBAT_PED"), 0);
  world().tick = 52001;
  EXPECT_EQ(Count(RunPass(0), "TASK_COMBAT_PED"), 4);
}

TEST_F(ModuleTest, GatedPassesNeitherSuperviseNorPrune) {
  AddRow(3);
  Start("fight_timer=1000\n");
  RunPass();
  ReleaseKey();
  ASSERT_EQ(Module().fight.roster.size(), 2u);
  const Ped dead = Module().fight.roster[0].ped;
  const Ped winner = Module().fight.roster[1].ped;
  world().Find(dead)->life = sim::Life::Dead;
  world().reset_flag = true;
  for (int i = 0; i < 10; ++i) RunPass(500);
  EXPECT_EQ(Module().fight.roster.size(), 2u);
  world().reset_flag = false;
  RunPass();
  // The winner stands alone: the fight is over.
  EXPECT_TRUE(Module().fight.roster.empty());
  EXPECT_EQ(world().Find(winner)->released, 1u);
  EXPECT_FALSE(world().Find(winner)->blocking_events);
}

TEST_F(ModuleTest, ANewFightReplacesTheOldOne) {
  AddRow(6);
  Start("fight_timer=1000\nfight_group_size=3\n");
  RunPass();
  for (int fight = 0; fight < 2; ++fight) ReleaseKey(testing_support::kF12, 3000);
  EXPECT_EQ(Module().fight.roster.size(), 3u);
  for (const auto& [ped, tick] : Module().fight.retask_times.entries()) {
    const std::vector<Ped> roster = RosterPeds(Module().fight);
    EXPECT_NE(std::find(roster.begin(), roster.end(), ped), roster.end());
  }
}

TEST_F(ModuleTest, ARestartForgetsTheEarlierSessionsFight) {
  AddRow(3);
  Start("fight_timer=1000\n");
  RunPass();
  ReleaseKey();
  ASSERT_EQ(Module().fight.roster.size(), 2u);
  run_.host.StartScript();
  const auto first = RunPass();
  EXPECT_TRUE(Module().fight.roster.empty());
  EXPECT_EQ(Module().fight.groups.group1_slot, 0u);
  EXPECT_EQ(Count(first, "DOES_ENTITY_EXIST"), 0);
  EXPECT_EQ(Count(ReleaseKey(), "ADD_RELATIONSHIP_GROUP"), 2);  // added again
}

}  // namespace
}  // namespace ruckvale
