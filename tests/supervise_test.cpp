// Keeping a fight going: re-tasking idle fighters and pruning gone ones.
#include <gtest/gtest.h>

#include "fight/start_fight.h"
#include "fight/supervise.h"
#include "fight_fixture.h"
#include "host/module_state.h"
#include "module_fixture.h"

namespace ruckvale {
namespace {

using testing_support::FightTest;
using Args = std::vector<std::uint64_t>;

class SuperviseTest : public FightTest {
 protected:
  std::vector<Ped> Fighters(int n) {
    std::vector<Ped> peds;
    for (int i = 0; i < n; ++i) peds.push_back(world.AddPed(static_cast<float>(i + 1), 0));
    Module().fight.roster.assign(peds.begin(), peds.end());
    return peds;
  }
  // Re-tasks issued by one supervision pass at `now`.
  std::vector<const sim::Call*> Supervise(std::uint32_t now) {
    game.calls.clear();
    SuperviseFighters(now);
    return Calls("TASK_COMBAT_PED");
  }
};

// Pruning releases each dead or dying fighter to the engine before it tests
// the next; a vanished one is dropped without a call. The game clears 8
// bytes through the release address: the roster must not be that storage.
TEST_F(SuperviseTest, PruningReleasesTheDeadAndDropsTheVanished) {
  const std::vector<Ped> f = Fighters(4);
  for (const Ped p : f) world.Find(p)->mission_entity = true;
  world.Find(f[0])->life = sim::Life::Dead;
  world.Find(f[1])->life = sim::Life::Dying;
  world.Find(f[2])->exists = false;
  PruneRoster();
  EXPECT_EQ(Names(),
            (std::vector<std::string>{
                "DOES_ENTITY_EXIST", "IS_PED_DEAD_OR_DYING", "SET_ENTITY_AS_NO_LONGER_NEEDED",
                "DOES_ENTITY_EXIST", "IS_PED_DEAD_OR_DYING", "SET_ENTITY_AS_NO_LONGER_NEEDED",
                "DOES_ENTITY_EXIST", "DOES_ENTITY_EXIST", "IS_PED_DEAD_OR_DYING"}));
  EXPECT_EQ(world.Find(f[0])->released, 1u);
  EXPECT_EQ(world.Find(f[1])->released, 1u);
  EXPECT_EQ(world.Find(f[3])->released, 0u);
  EXPECT_EQ(Module().fight.roster, (FightRoster{f[3]}));
  EXPECT_FALSE(world.Find(f[0])->mission_entity);
  EXPECT_TRUE(world.Find(f[3])->mission_entity);
}

TEST_F(SuperviseTest, AnEmptyRosterCallsNothing) {
  SuperviseFighters(5000);
  PruneRoster();
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
  EXPECT_EQ(Module().fight.retask_times[f[0]], 10000u);
  EXPECT_TRUE(Supervise(11000).empty());
  EXPECT_TRUE(Supervise(12000).empty());  // exactly 2000 ms: still resting
  SeedForDraw(1, 2);
  EXPECT_EQ(Supervise(12001).size(), 1u);
  EXPECT_EQ(Module().fight.retask_times[f[0]], 12001u);
}

TEST_F(SuperviseTest, TheRestSpansTheTickWrap) {
  const std::vector<Ped> f = Fighters(2);
  world.Find(f[1])->in_combat = true;
  Module().fight.retask_times[f[0]] = 4294966296u;  // 1000 ms before the wrap
  SeedForDraw(1, 2);
  EXPECT_TRUE(Supervise(1000).empty());  // 2000 ms later
  SeedForDraw(1, 2);
  EXPECT_EQ(Supervise(1001).size(), 1u);
}

TEST_F(SuperviseTest, AFailedDrawLeavesTheEntryForTheNextPass) {
  const std::vector<Ped> f = Fighters(2);
  world.Find(f[1])->in_combat = true;
  // Find a seed whose first draw picks the fighter itself.
  SeedForDraw(0, 2);
  EXPECT_TRUE(Supervise(7000).empty());
  ASSERT_NE(Module().fight.retask_times.Find(f[0]), nullptr);
  EXPECT_EQ(*Module().fight.retask_times.Find(f[0]), 0u);       // inserted with 0, not set
  EXPECT_EQ(DrawsTakenBy([] { SuperviseFighters(7000); }), 1);  // busy f[1] takes no draw
}

TEST_F(SuperviseTest, ALoneFighterIsNeverRetasked) {
  Fighters(1);
  for (std::uint32_t now = 1000; now < 20000; now += 1000) EXPECT_TRUE(Supervise(now).empty());
}

TEST_F(SuperviseTest, ATargetThatIsGoneIsNotAttacked) {
  const std::vector<Ped> f = Fighters(2);
  world.Find(f[1])->exists = false;
  for (std::uint32_t seed = 0; seed < 20; ++seed) {
    SeedRandom(seed);
    EXPECT_TRUE(Supervise(9000).empty());
  }
  EXPECT_EQ(*Module().fight.retask_times.Find(f[0]), 0u);
}

TEST_F(SuperviseTest, ADeadFighterIsSkippedPrunedAndStillDrawable) {
  const std::vector<Ped> f = Fighters(4);
  world.Find(f[1])->life = sim::Life::Dead;
  int attacks_on_dead = 0;
  for (std::uint32_t seed = 0; seed < 30; ++seed) {
    Module().fight.retask_times.clear();
    SeedRandom(seed);
    for (const sim::Call* c : Supervise(4000)) {
      EXPECT_NE(c->args[0], static_cast<std::uint32_t>(f[1]));
      attacks_on_dead += c->args[1] == static_cast<std::uint32_t>(f[1]);
    }
  }
  EXPECT_GT(attacks_on_dead, 0);
  game.calls.clear();
  PruneRoster();
  EXPECT_EQ(Module().fight.roster, (FightRoster{f[0], f[2], f[3]}));
  // Existence first; dead-or-dying only for those that exist.
  world.Find(f[2])->exists = false;
  game.calls.clear();
  PruneRoster();
  EXPECT_EQ(Module().fight.roster, (FightRoster{f[0], f[3]}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"DOES_ENTITY_EXIST", "IS_PED_DEAD_OR_DYING",
                                               "DOES_ENTITY_EXIST", "DOES_ENTITY_EXIST",
                                               "IS_PED_DEAD_OR_DYING"}));
  // A dying fighter counts as gone too.
  world.Find(f[3])->life = sim::Life::Dying;
  PruneRoster();
  EXPECT_EQ(Module().fight.roster, (FightRoster{f[0]}));
}

using testing_support::ModuleTest;

TEST_F(ModuleTest, TheFightStartPassAlreadySupervisesTheNewRoster) {
  AddRow(4);
  Start("fight_timer=1000\nfight_group_size=4\n");
  RunPass();
  world().keys_down[testing_support::kF12] = 1;
  RunPass();
  world().keys_down[testing_support::kF12] = 0;
  world().tick = 50000;
  const auto pass = RunPass();
  ASSERT_EQ(Module().fight.roster.size(), 4u);
  // The game reports nobody in combat yet: each gets a re-task or a failed draw.
  // 12 tasks of the fight start, then the re-tasks of the same pass.
  EXPECT_GE(Only(pass, "TASK_COMBAT_PED").size(), 13u);
  for (const auto& [ped, tick] : Module().fight.retask_times.entries()) {
    EXPECT_TRUE(tick == 0 || tick == 50000u) << ped;
  }
  EXPECT_EQ(Module().fight.retask_times.size(), 4u);
}

TEST_F(ModuleTest, GatedPassesNeitherSuperviseNorPrune) {
  AddRow(3);
  Start("fight_timer=1000\n");
  RunPass();
  ReleaseKey();
  ASSERT_EQ(Module().fight.roster.size(), 2u);
  const Ped dead = Module().fight.roster[0];
  world().Find(dead)->life = sim::Life::Dead;
  world().reset_flag = true;
  for (int i = 0; i < 10; ++i) RunPass(500);
  EXPECT_EQ(Module().fight.roster.size(), 2u);
  world().reset_flag = false;
  RunPass();
  EXPECT_EQ(Module().fight.roster, (FightRoster{Module().fight.roster[0]}));
  EXPECT_NE(Module().fight.roster[0], dead);
}

TEST_F(ModuleTest, ANewFightReplacesTheOldOne) {
  AddRow(6);
  Start("fight_timer=1000\nfight_group_size=3\n");
  RunPass();
  for (int fight = 0; fight < 2; ++fight) ReleaseKey(testing_support::kF12, 3000);
  EXPECT_EQ(Module().fight.roster.size(), 3u);
  for (const auto& [ped, tick] : Module().fight.retask_times.entries()) {
    EXPECT_NE(std::find(Module().fight.roster.begin(), Module().fight.roster.end(), ped),
              Module().fight.roster.end());
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
