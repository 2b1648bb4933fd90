// The script's start-up, the reset-flag gate and the two fight triggers.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>

#include "host/module_state.h"
#include "host/script_main.h"
#include "module_fixture.h"
#include "settings/fight_settings.h"

namespace ruckvale {
namespace {

using testing_support::ModuleTest;
using testing_support::Pass;
using NameList = std::vector<std::string>;

using testing_support::kF12;

TEST_F(ModuleTest, LoadRegistersAndTheFirstFrameStartsUpInOrder) {
  world().tick = 5000;
  Start("fight_timer=100\n");
  ASSERT_EQ(game().calls.size(), 1u);
  EXPECT_EQ(game().calls[0].name, "scriptRegister");
  const Pass first = RunPass();
  // 30 weapon hashes, the seed tick, the player's ped, then the first pass.
  ASSERT_GE(first.size(), 33u);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(first[static_cast<std::size_t>(i)]->name, "GET_HASH_KEY");
  EXPECT_EQ(first[0]->text[0], "\"WEAPON_MELEE_KNIFE\"");
  EXPECT_EQ(first[29]->text[0], "\"WEAPON_BOW\"");
  EXPECT_EQ(first[30]->name, "GetTickCount");
  EXPECT_EQ(first[31]->name, "PLAYER_PED_ID");
  EXPECT_EQ(Names(Pass(first.begin() + 32, first.end())),
            (NameList{"GET_PED_RESET_FLAG", "GetTickCount", "GetAsyncKeyState", "scriptWait"}));
  EXPECT_EQ(first.back()->args, (std::vector<std::uint64_t>{0}));
  run_.host.Unload();
  EXPECT_EQ(game().calls.back().name, "scriptUnregister");
}

TEST_F(ModuleTest, AGatedPassMakesOneNativeCallAndChangesNothing) {
  Start("fight_timer=0\nfight_chance=100\n");
  RunPass();
  world().keys_down[kF12] = 1;
  RunPass();  // latch the key
  world().keys_down[kF12] = 0;
  world().reset_flag = true;
  const std::uint32_t last_roll = Module().main_loop.last_roll_tick;
  for (int i = 0; i < 5; ++i) {
    const Pass gated = RunPass();
    EXPECT_EQ(Names(gated), (NameList{"GET_PED_RESET_FLAG", "scriptWait"}));
    EXPECT_EQ(gated[0]->args, (std::vector<std::uint64_t>{1, 187}));
  }
  EXPECT_EQ(Module().main_loop.last_roll_tick, last_roll);
  // The release seen while gated starts its fight on the first open pass,
  // after the timer's own fight.
  world().reset_flag = false;
  const Pass open = RunPass();
  EXPECT_EQ(FightStarts(open), 2);
}

TEST_F(ModuleTest, UngatedPassOrder) {
  Start("fight_timer=1000\n");
  RunPass();
  const Pass pass = RunPass();
  EXPECT_EQ(Names(pass),
            (NameList{"GET_PED_RESET_FLAG", "GetTickCount", "GetAsyncKeyState", "scriptWait"}));
  EXPECT_EQ(pass[2]->args, (std::vector<std::uint64_t>{kF12}));
}

// Windows reports a key whichever program has it: a release counts only while
// the game's window is in the foreground, and is asked only on a release.
TEST_F(ModuleTest, AKeyReleasedInAnotherProgramStartsNothing) {
  AddRow(3);
  Start("fight_timer=100000\n");
  RunPass();
  world().game_in_foreground = false;
  const Pass ignored = ReleaseKey();
  EXPECT_EQ(FightStarts(ignored), 0);
  EXPECT_EQ(Count(ignored, "GetWindowThreadProcessId"), 1);
  world().no_foreground_window = true;
  EXPECT_EQ(FightStarts(ReleaseKey()), 0);
  world().no_foreground_window = false;
  world().game_in_foreground = true;
  EXPECT_EQ(Count(RunPass(), "GetForegroundWindow"), 0);  // nothing released
  const Pass fight = ReleaseKey();
  EXPECT_EQ(FightStarts(fight), 1);
  EXPECT_EQ(Names(Pass(fight.begin() + 3, fight.begin() + 7)),
            (NameList{"GetForegroundWindow", "GetWindowThreadProcessId", "GetCurrentProcessId",
                      "PLAYER_PED_ID"}));
}

struct TimerCase {
  const char* ini;
  std::uint32_t first_tick;
  std::vector<std::uint32_t> ticks;  // ticks of later passes
  std::vector<int> rolls;            // 1 where that later pass rolls
};

void PrintTo(const TimerCase& c, std::ostream* os) {
  *os << c.ini << " from " << c.first_tick;
}

class TimerTest : public ModuleTest, public ::testing::WithParamInterface<TimerCase> {};

TEST_P(TimerTest, RollsWhenThePeriodHasPassed) {
  const TimerCase& c = GetParam();
  world().tick = c.first_tick;
  Start(std::string(c.ini) + "\nfight_chance=100\n");
  RunPass(0);
  for (std::size_t i = 0; i < c.ticks.size(); ++i) {
    const std::uint32_t before = Module().main_loop.last_roll_tick;
    const Pass pass = RunPassAt(c.ticks[i]);
    const bool rolled = Module().main_loop.last_roll_tick != before || FightStarts(pass) > 0;
    EXPECT_EQ(rolled ? 1 : 0, c.rolls[i]) << "pass " << i << " at tick " << c.ticks[i];
    if (rolled) {
      EXPECT_EQ(Module().main_loop.last_roll_tick, c.ticks[i]);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Periods, TimerTest,
    ::testing::Values(
        // First pass at 10000 with a 10 s period rolls at once; then exactly
        // one period later, not a millisecond before.
        TimerCase{"fight_timer=10", 10000, {15000, 19999, 20000, 29999, 30000}, {0, 0, 1, 0, 1}},
        // Period 0 and negative: every ungated pass rolls.
        TimerCase{"fight_timer=0", 100, {100, 133, 166}, {1, 1, 1}},
        TimerCase{"fight_timer=-5", 100, {100, 133, 166}, {1, 1, 1}},
        // fight_timer * 1000 beyond 32 bits is clamped, not wrapped into a
        // negative period that would roll on every pass.
        TimerCase{"fight_timer=2147484", 5000, {6000, 7000, 2000000000u}, {0, 0, 0}},
        // Until the first roll the unsigned tick count is the elapsed time.
        TimerCase{"fight_timer=2147483647", 5000, {6000, 2147483646u, 2147483647u}, {0, 0, 1}},
        // Across the wrap from 2^32 - 1 to 0.
        TimerCase{"fight_timer=10",
                  4294960000u,
                  {4294967295u, 2703, 2704, 12703, 12704},
                  {0, 0, 1, 0, 1}},
        // A gap of 2^31 ms or more after a roll reads as negative: no roll
        // until the difference is positive and a period long again.
        TimerCase{"fight_timer=10", 10000, {2147493648u, 4294967295u, 19999, 20000}, {0, 0, 0, 1}},
        // Up for more than 24.8 days: the first roll still comes at once.
        TimerCase{"fight_timer=60", 2147483648u, {2147483648u, 2147543648u}, {0, 1}},
        TimerCase{"fight_timer=60", 4000000000u, {4000000033u, 4000060000u}, {0, 1}}));

TEST_F(ModuleTest, FirstPassAfterStartRollsOnceUpLongEnough) {
  world().tick = 60000;
  Start("fight_chance=100\n");
  EXPECT_EQ(FightStarts(RunPass(0)), 1);
}

TEST_F(ModuleTest, FirstPassBeforeTheFirstPeriodDoesNotRoll) {
  world().tick = 59999;
  Start("fight_chance=100\n");
  RunPass(0);
  EXPECT_FALSE(Module().main_loop.has_rolled);
}

struct ChanceCase {
  const char* chance;
  int expected_fights;  // of 300 rolls
};

void PrintTo(const ChanceCase& c, std::ostream* os) {
  *os << "fight_chance=" << c.chance;
}

class ChanceTest : public ModuleTest, public ::testing::WithParamInterface<ChanceCase> {};

TEST_P(ChanceTest, RollsMoveTheTickWhateverTheChance) {
  world().tick = 1000;
  Start(std::string("fight_timer=0\nfight_chance=") + GetParam().chance + "\n");
  RunPass();
  int fights = 0;
  // Enough rolls that some draw is a multiple of 100: a chance of 0 never
  // fights, not 1 in 100.
  for (int i = 0; i < 300; ++i) {
    const Pass pass = RunPass();
    fights += FightStarts(pass);
    EXPECT_EQ(Module().main_loop.last_roll_tick, world().tick - 33);
  }
  EXPECT_EQ(fights, GetParam().expected_fights);
}

INSTANTIATE_TEST_SUITE_P(Chances, ChanceTest,
                         ::testing::Values(ChanceCase{"0", 0}, ChanceCase{"-40", 0},
                                           ChanceCase{"100", 300}, ChanceCase{"250", 300}));

TEST_F(ModuleTest, KeyStartsOneFightOnReleaseOnly) {
  Start("fight_timer=1000\n");
  RunPass();
  world().keys_down[kF12] = 1;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(FightStarts(RunPass()), 0) << "held, pass " << i;
  world().keys_down[kF12] = 0;
  EXPECT_EQ(FightStarts(RunPass()), 1);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(FightStarts(RunPass()), 0) << "up again, pass " << i;
  // Only the trigger key's entry ever moved.
  for (int k = 0; k < 256; ++k) EXPECT_EQ(Module().main_loop.key_latch[k], 0) << k;
}

TEST_F(ModuleTest, KeyDownAtTheFirstPollFightsOnRelease) {
  constexpr int kK = 'K';
  world().keys_down[kK] = 1;
  Start("fight_timer=1000\nkey_trigger=K\n");
  EXPECT_EQ(FightStarts(RunPass()), 0);
  EXPECT_EQ(Module().main_loop.key_latch[kK], 1);
  for (int k = 0; k < 256; ++k) {
    if (k != kK) {
      EXPECT_EQ(Module().main_loop.key_latch[k], 0) << k;
    }
  }
  world().keys_down[kK] = 0;
  EXPECT_EQ(FightStarts(RunPass()), 1);
}

TEST_F(ModuleTest, KeyTappedBetweenTwoPollsIsMissed) {
  Start("fight_timer=1000\n");
  RunPass();
  // Down and up again between passes: the poll only sees "up" (bit 0 set).
  for (int i = 0; i < 3; ++i) EXPECT_EQ(FightStarts(RunPass()), 0);
}

TEST_F(ModuleTest, BothTriggersInOnePassStartTwoFightsTimerFirst) {
  world().tick = 20000;
  Start("fight_timer=10\nfight_chance=100\n");
  RunPass();
  world().keys_down[kF12] = 1;
  RunPassAt(25000);
  world().keys_down[kF12] = 0;
  const Pass pass = RunPassAt(30000);
  EXPECT_EQ(FightStarts(pass), 2);
  // The timer's fight start comes before the key is polled, the key's after.
  std::size_t key_poll = 0;
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < pass.size(); ++i) {
    if (pass[i]->name == "GetAsyncKeyState") key_poll = i;
    if (pass[i]->name == "PLAYER_PED_ID") starts.push_back(i);
  }
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_LT(starts[0], key_poll);
  EXPECT_GT(starts[1], key_poll);
}

TEST_F(ModuleTest, AnExceptionInAPassEndsThatPassOnly) {
  Start("fight_timer=0\nfight_chance=100\n");
  RunPass();
  int thrown = 0;
  game().before_native = [&](sim::Game&, NativeHash hash) {
    if (hash == NativeHash::GET_PED_NEARBY_PEDS && thrown++ == 0) throw std::bad_alloc();
  };
  const Pass failed = RunPass();
  EXPECT_EQ(thrown, 1);
  EXPECT_EQ(failed.back()->name, "scriptWait");
  EXPECT_EQ(Count(failed, "GetAsyncKeyState"), 0);  // the rest of the pass was abandoned
  const Pass next = RunPass();
  EXPECT_EQ(Count(next, "GET_PED_NEARBY_PEDS"), 1);
  EXPECT_EQ(Count(next, "GetAsyncKeyState"), 1);
}

TEST_F(ModuleTest, ARestartedScriptRebuildsRatherThanDoubles) {
  Start("fight_timer=7\n");
  RunPass();
  folder_->Write("fight_timer=9\n");
  run_.host.StartScript();  // the game reloaded: a new fiber runs the script again
  const Pass first = RunPass();
  EXPECT_EQ(Count(first, "GET_HASH_KEY"), 30);
  EXPECT_EQ(Module().settings.fight_timer, 9);
  folder_->Write(std::nullopt);
  run_.host.StartScript();
  RunPass();
  EXPECT_EQ(Module().settings.fight_timer, 60);  // read afresh: the file is gone now
}

}  // namespace
}  // namespace ruckvale
