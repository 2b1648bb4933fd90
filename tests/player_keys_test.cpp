// What a player adds to the triggers: a modifier, a gamepad combination, an
// on/off key, and the log that tells what happened.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "host/module_state.h"
#include "module_fixture.h"
#include "sim/game_hash.h"

namespace ruckvale {
namespace {

using testing_support::ModuleTest;
using testing_support::Pass;

constexpr int kCtrl = 0x11, kShift = 0x10, kAlt = 0x12, kF9 = 120, kT = 'T';

// Holds `modifier` and `key`, lets the modifier go first when `early`, then the key.
Pass PressWith(sim::World& w, int modifier, int key, bool early, const std::function<Pass()>& run) {
  w.keys_down[modifier] = 1;
  w.keys_down[key] = 1;
  run();
  if (early) w.keys_down[modifier] = 0;
  w.keys_down[key] = 0;
  const Pass pass = run();
  w.keys_down[modifier] = 0;
  return pass;
}

class PlayerKeysTest : public ModuleTest {
 protected:
  Pass Press(int modifier, int key, bool early = false) {
    return PressWith(world(), modifier, key, early, [this] { return RunPass(); });
  }
  // Holds `hold` while `press` goes down, then releases `press`.
  Pass Pad(const char* hold, const char* press) {
    world().controls_down = {sim::GameHash(hold), sim::GameHash(press)};
    RunPass();
    world().controls_down = {sim::GameHash(hold)};
    world().controls_released = {sim::GameHash(press)};
    const Pass pass = RunPass();
    world().controls_down.clear();
    world().controls_released.clear();
    return pass;
  }
  static std::string ReadLog(const char* name = "Ruckvale.log") {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
};

TEST_F(PlayerKeysTest, AModifiedKeyCountsOnlyWithItsModifierDown) {
  AddRow(3);
  Start("key_trigger=Ctrl+F9\nfight_timer=100000\n");
  RunPass();
  const Pass with = Press(kCtrl, kF9);
  EXPECT_EQ(FightStarts(with), 1);
  const auto polls = Only(with, "GetAsyncKeyState");
  ASSERT_EQ(polls.size(), 2u);  // the key, then the modifier on its release
  EXPECT_EQ(polls[1]->args[0], static_cast<std::uint64_t>(kCtrl));
  const Pass early = Press(kCtrl, kF9, true);
  EXPECT_EQ(FightStarts(early), 0);
  EXPECT_EQ(Count(early, "GetForegroundWindow"), 0);
  EXPECT_EQ(FightStarts(Press(0, kF9)), 0);  // F9 alone: key 0 is never down
}

TEST_F(PlayerKeysTest, ThePadCombinationAsksOneNativeAnIdlePassAndNotWithTheKeyboard) {
  AddRow(3);
  Start("pad_trigger=RB+DPAD_DOWN\nfight_timer=100000\n");
  const Pass first = RunPass();
  std::vector<std::string> asked;
  for (const sim::Call* c : Only(first, "GET_HASH_KEY")) asked.push_back(c->text[0]);
  EXPECT_EQ(std::vector<std::string>(asked.end() - 2, asked.end()),
            (std::vector<std::string>{"\"INPUT_FRONTEND_RB\"", "\"INPUT_FRONTEND_DOWN\""}));
  const Pass idle = RunPass();
  EXPECT_EQ(Names(idle),
            (std::vector<std::string>{"GET_PED_RESET_FLAG", "GetTickCount", "GetAsyncKeyState",
                                      "IS_DISABLED_CONTROL_PRESSED", "scriptWait"}));
  EXPECT_EQ(Only(idle, "IS_DISABLED_CONTROL_PRESSED")[0]->args,
            (std::vector<std::uint64_t>{0, sim::GameHash("INPUT_FRONTEND_RB")}));
  EXPECT_EQ(FightStarts(Pad("INPUT_FRONTEND_RB", "INPUT_FRONTEND_DOWN")), 1);
  EXPECT_EQ(FightStarts(Pad("INPUT_FRONTEND_LB", "INPUT_FRONTEND_DOWN")), 0);
  world().keyboard_in_use = true;
  EXPECT_EQ(FightStarts(Pad("INPUT_FRONTEND_RB", "INPUT_FRONTEND_DOWN")), 0);
}

// Off from the start: no roll, no key fight; the toggle counts only in the
// game's window; switched off mid-fight, the fight is still looked after.
TEST_F(PlayerKeysTest, TheToggleSwitchesTheTriggersAndLeavesARunningFightAlone) {
  AddRow(4);
  Start(
      "toggle_key=T\nstart_enabled=false\nfight_timer=0\nfight_chance=100\n"
      "pad_trigger=RB+DPAD_DOWN\n");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(FightStarts(RunPass()), 0);
  EXPECT_EQ(FightStarts(ReleaseKey()), 0);
  EXPECT_EQ(FightStarts(Pad("INPUT_FRONTEND_RB", "INPUT_FRONTEND_DOWN")), 0);
  world().game_in_foreground = false;
  Press(0, kT);
  world().game_in_foreground = true;
  EXPECT_EQ(FightStarts(RunPass()), 0);
  Press(0, kT);  // on: the timer fights every pass
  EXPECT_EQ(FightStarts(RunPass()), 1);
  Press(0, kT);  // off
  ASSERT_FALSE(Module().fight.roster.empty());
  const Pass after = RunPass(3000);
  EXPECT_EQ(FightStarts(after), 0);
  const Pass supervised = RunPass(3000);
  EXPECT_GT(Count(supervised, "IS_PED_IN_COMBAT"), 0);
}

// While off, the timer does not roll at all: switched on after more than a
// period, the next pass rolls.
TEST_F(PlayerKeysTest, TheTimerKeepsItsTimeWhileSwitchedOff) {
  AddRow(4);
  world().tick = 20000;
  Start("toggle_key=T\nstart_enabled=false\nfight_timer=10\nfight_chance=100\n");
  for (int i = 0; i < 15; ++i) EXPECT_EQ(FightStarts(RunPass(1000)), 0);
  Press(0, kT);
  EXPECT_EQ(FightStarts(RunPass()), 1);
}

TEST_F(PlayerKeysTest, TheLogIsKeptOnceAndStopsAtOneMegabyte) {
  AddRow(3);
  std::string ini = "log=true\nfight_timer=100000\n";
  Start(ini);
  RunPass();
  ReleaseKey();
  const std::string first = ReadLog();
  EXPECT_NE(first.find("Ruckvale.ini line 1: sets log to true"), std::string::npos) << first;
  EXPECT_NE(first.find("key_trigger: fight of 2"), std::string::npos) << first;
  for (int i = 0; i < 20000; ++i) ini += "nothing_" + std::to_string(i) + "=1\n";
  folder_->Write(ini);
  run_.host.StartScript();
  RunPass();
  EXPECT_EQ(ReadLog("Ruckvale.log.1"), first);  // the one before is kept
  const std::string full = ReadLog();
  EXPECT_LE(full.size(), 1024u * 1024u);
  EXPECT_GT(full.size(), 1024u * 1024u - 600u);  // the earlier run's bytes do not count
  EXPECT_NE(full.find("the log is full (1 MB)"), std::string::npos);
  EXPECT_EQ(full.back(), '\n');
}

// The events after start-up, word for word: too few listed, too few
// qualifying with each reason, a fight and its fighters, the toggle; then a
// reload says so in its first line, and only a reload does.
TEST_F(PlayerKeysTest, TheLogTellsEachEventInItsWords) {
  world().tick = 10000;
  AddRow(2);
  Start(
      "log=true\nfight_timer=100000\nfight_group_size=3\ntoggle_key=Shift+T\nmelee_chance=0\n"
      "revolver_chance=0\npistol_chance=0\nshotgun_chance=0\nrifle_chance=0\n"
      "repeater_chance=0\nthrowables_chance=0\nbow_chance=0\n");
  RunPass(1000);
  ReleaseKey(testing_support::kF12, 1234);
  world().Find(world().AddPed(6, 0))->on_mount = true;
  world().Find(world().AddPed(7, 0))->in_vehicle = true;
  world().Find(world().AddPed(8, 0))->in_vehicle = true;
  ReleaseKey(testing_support::kF12, 500);
  world().AddPed(9, 0);
  ReleaseKey();
  Press(kShift, kT);
  const std::string log = ReadLog();
  const std::string first_line = log.substr(0, log.find('\n'));
  EXPECT_TRUE(first_line.ends_with(", script started")) << first_line;
  EXPECT_NE(log.find("s]   key_trigger = F12\n"), std::string::npos) << log;
  EXPECT_NE(log.find("s]   toggle_key = Shift+T\n"), std::string::npos) << log;
  const std::size_t events = log.find("the triggers are on\n");
  ASSERT_NE(events, std::string::npos) << log;
  EXPECT_EQ(
      log.substr(events + 20),
      "[      2.234 s] key_trigger: no fight: the game lists 2 peds near the player, 3 needed\n"
      "[      3.968 s] key_trigger: no fight: 2 of the 5 peds the game lists qualify, 3 needed\n"
      "[      3.968 s]   left out: 1 riding\n"
      "[      3.968 s]   left out: 2 in a vehicle\n"
      "[      4.501 s] key_trigger: fight of 3\n"
      "[      4.501 s]   ped 100, group 1, unarmed\n"
      "[      4.501 s]   ped 105, group 2, unarmed\n"
      "[      4.501 s]   ped 101, group 1, unarmed\n"
      "[      4.567 s] toggle_key released: the triggers are now off\n");
  run_.host.StartScript();
  RunPass();
  const std::string again = ReadLog();
  EXPECT_NE(again.substr(0, again.find('\n')).find("script started again (a reload)"),
            std::string::npos)
      << again;
}

// A trigger and a toggle on one key: a release counts for the binding whose
// modifier is down; one without a modifier only while the other's is up.
// Neither blames its modifier for a release that was the other's.
TEST_F(PlayerKeysTest, OneKeyForTheTriggerAndTheToggleCountsForOneOfThem) {
  struct Case {
    const char* ini;
    int modifier;  // held with the key, 0: none
    int fights;
    bool toggled;
  };
  const Case cases[] = {
      {"key_trigger=F9\ntoggle_key=Ctrl+F9\n", 0, 1, false},
      {"key_trigger=F9\ntoggle_key=Ctrl+F9\n", kCtrl, 0, true},
      {"key_trigger=Ctrl+F9\ntoggle_key=F9\n", kCtrl, 1, false},
      {"key_trigger=Ctrl+F9\ntoggle_key=F9\n", 0, 0, true},
      {"key_trigger=Ctrl+F9\ntoggle_key=Shift+F9\n", kShift, 0, true},
      {"key_trigger=F9\ntoggle_key=F9\n", 0, 1, true},  // the same binding: both
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    AddRow(3);
    Start(std::string("log=true\nfight_timer=100000\n") + c.ini);
    RunPass();
    EXPECT_EQ(FightStarts(Press(c.modifier, kF9)), c.fights);
    EXPECT_EQ(Module().main_loop.enabled, !c.toggled);
    EXPECT_EQ(ReadLog().find("modifier was up"), std::string::npos) << ReadLog();
  }
}

// A key and a pad released in one frame start one fight, the key's; the pad
// counts only while the game has the foreground, as the keys do.
TEST_F(PlayerKeysTest, ThePadStartsNoSecondFightAndNoneForAnotherProgram) {
  AddRow(3);
  Start("log=true\npad_trigger=RB+DPAD_DOWN\nfight_timer=100000\n");
  RunPass();
  world().keys_down[testing_support::kF12] = 1;
  Pad("INPUT_FRONTEND_RB", "INPUT_FRONTEND_DOWN");  // the key goes up with the pad
  world().keys_down[testing_support::kF12] = 0;
  world().controls_down = {sim::GameHash("INPUT_FRONTEND_RB")};
  world().controls_released = {sim::GameHash("INPUT_FRONTEND_DOWN")};
  EXPECT_EQ(FightStarts(RunPass()), 1);
  world().game_in_foreground = false;
  EXPECT_EQ(FightStarts(RunPass()), 0);
  world().controls_down.clear();
  world().controls_released.clear();
  const std::string log = ReadLog();
  EXPECT_NE(log.find("pad_trigger released: ignored, key_trigger started a fight in the same "
                     "frame\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("pad_trigger released: ignored, another program has the foreground\n"),
            std::string::npos)
      << log;
}

// The game's reset flag: the log tells the sit-out once at each end, and a
// modified key let go meanwhile is not said to have had its modifier up.
TEST_F(PlayerKeysTest, ASitOutIsToldAndAReleaseInItIsNotBlamedOnTheModifier) {
  AddRow(3);
  Start("log=true\nkey_trigger=Ctrl+F9\nfight_timer=100000\n");
  RunPass(1000);
  world().keys_down[kCtrl] = world().keys_down[kF9] = 1;
  RunPass(1000);
  world().reset_flag = true;
  for (int i = 0; i < 3; ++i) RunPass(1000);
  world().keys_down[kCtrl] = world().keys_down[kF9] = 0;
  RunPass(1500);
  world().reset_flag = false;
  EXPECT_EQ(FightStarts(RunPass(1000)), 0);
  const std::string log = ReadLog();
  const std::size_t events = log.find("the triggers are on\n");
  ASSERT_NE(events, std::string::npos) << log;
  EXPECT_EQ(log.substr(events + 20),
            "[      1.000 s] Ruckvale sits out: the game set the player's reset flag 187 (a "
            "cutscene, a menu or a scripted scene); no trigger is read, and a key or pad released "
            "meanwhile is not seen, until it clears\n"
            "[      6.500 s] Ruckvale is back after sitting out 5.5 s\n"
            "[      6.500 s] key_trigger released: ignored, it was released while Ruckvale sat "
            "out, and its modifier is up now; press it again\n");
}

// An outcome that comes again and again is written once and counted; the
// count is told, with the time of the last, when the outcome changes, and a
// minute after the first repeat at the latest.
TEST_F(PlayerKeysTest, TheSameOutcomeAgainIsCountedNotWritten) {
  const auto held = world().AddPed(3, 0);
  world().Find(held)->in_vehicle = true;
  world().AddPed(90, 0);
  Start("log=true\nfight_timer=0\nfight_chance=100\n");
  for (int i = 0; i < 2581; ++i) RunPass(33);
  world().Find(held)->in_vehicle = false;  // the same counts for another reason
  world().Find(held)->on_mount = true;
  RunPass(33);
  AddRow(2);
  RunPass(33);
  const std::string log = ReadLog();
  const std::size_t events = log.find("the triggers are on\n");
  ASSERT_NE(events, std::string::npos) << log;
  EXPECT_EQ(log.substr(events + 20, log.find("timer: fight of 2") - events - 20),
            "[      0.000 s] timer: no fight: 0 of the 2 peds the game lists qualify, 2 needed\n"
            "[      0.000 s]   left out: 1 too far (fight_radius = 50)\n"
            "[      0.000 s]   left out: 1 in a vehicle\n"
            "[     60.060 s] timer: the same 1,820 more times until 60.0 s\n"
            "[     85.140 s] timer: the same 760 more times until 85.1 s\n"
            "[     85.173 s] timer: no fight: 0 of the 2 peds the game lists qualify, 2 needed\n"
            "[     85.173 s]   left out: 1 too far (fight_radius = 50)\n"
            "[     85.173 s]   left out: 1 riding\n"
            "[     85.206 s] ")
      << log;
}

// The log's words for the reasons a release is let go, the modifiers and a
// fight's end, which no other test reads.
TEST_F(PlayerKeysTest, TheLogNamesEveryModifierAndEveryEnd) {
  AddRow(1);
  world().AddPed(4, 0, sim::Species::Horse);
  Start(
      "log=true\nfight_timer=100000\nkey_trigger=Alt+F9\ntoggle_key=Ctrl+T\n"
      "pad_trigger=RB+DPAD_DOWN\nstart_enabled=false\n");
  RunPass();
  Press(kAlt, kF9);
  Pad("INPUT_FRONTEND_RB", "INPUT_FRONTEND_DOWN");
  Press(0, kT);
  Press(kCtrl, kT);
  world().keys_down[kAlt] = 1;
  world().game_in_foreground = false;
  ReleaseKey(kF9);
  world().game_in_foreground = true;
  ReleaseKey(kF9);
  world().AddPed(5, 0);
  ReleaseKey(kF9);
  world().keys_down[kAlt] = 0;
  world().Find(100)->life = sim::Life::Dead;
  RunPass(3000);
  RunPass(3000);
  const std::string log = ReadLog();
  EXPECT_NE(log.find("s]   key_trigger = Alt+F9\n"), std::string::npos) << log;
  EXPECT_NE(log.find("s]   toggle_key = Ctrl+T\n"), std::string::npos) << log;
  EXPECT_NE(log.find("s]   pad_trigger = RB+DPAD_DOWN\n"), std::string::npos) << log;
  EXPECT_NE(log.find("s] the triggers are off (start_enabled)\n"), std::string::npos) << log;
  const std::size_t events = log.find("the triggers are off (start_enabled)\n");
  std::string told;
  for (std::size_t at = log.find("s] ", events + 10); at != std::string::npos;
       at = log.find("s] ", at + 3)) {
    const std::string line = log.substr(at + 3, log.find('\n', at) - at - 2);
    if (!line.starts_with("  ped ")) told += line;  // the weapons are drawn
  }
  EXPECT_EQ(told,
            "key_trigger released: ignored, the triggers are off\n"
            "pad_trigger released: ignored, the triggers are off\n"
            "toggle_key released: ignored, its modifier was up\n"
            "toggle_key released: the triggers are now on\n"
            "key_trigger released: ignored, another program has the foreground\n"
            "key_trigger: no fight: 1 of the 2 peds the game lists qualify, 2 needed\n"
            "  left out: 1 not human (humans_only = true)\n"
            "key_trigger: fight of 2\n"
            "the fight is over: one side stands; 1 fighter let go\n");
}

// A reload starts the triggers as the ini says, and a toggle held across it
// is no release.
TEST_F(PlayerKeysTest, AReloadForgetsTheToggle) {
  Start("toggle_key=T\n");
  RunPass();
  Press(0, kT);
  ASSERT_FALSE(Module().main_loop.enabled);
  world().keys_down[kT] = 1;
  RunPass();
  EXPECT_FALSE(Module().main_loop.enabled);  // a press alone switches nothing
  run_.host.StartScript();
  world().keys_down[kT] = 0;
  RunPass();
  EXPECT_TRUE(Module().main_loop.enabled);
}

// reload_key reads the ini again: the fight, its roster and the switch go on,
// the pad's new controls are asked, and a key that becomes the trigger again
// starts with a fresh latch: its release while it was no trigger is no fight.
TEST_F(PlayerKeysTest, AReloadKeepsTheFightAndTheSwitchAndGivesAChangedKeyAFreshLatch) {
  constexpr int kF10 = 121, kF11 = 122;
  AddRow(6);
  Start("reload_key=Ctrl+F11\nkey_trigger=F9\ntoggle_key=T\nfight_timer=100000\n");
  RunPass();
  ASSERT_EQ(FightStarts(Press(0, kF9)), 1);
  const FightRoster fighters = Module().fight.roster;
  Press(0, kT);  // off
  const auto reload = [this](const char* ini) {
    std::ofstream("Ruckvale.ini", std::ios::binary) << ini;
    return Press(kCtrl, kF11);
  };
  world().keys_down[kF9] = 1;
  RunPass();  // F9 down: its latch is set
  const Pass pad =
      reload("reload_key=Ctrl+F11\nkey_trigger=F10\ntoggle_key=T\npad_trigger=LB+DPAD_UP\n");
  std::vector<std::string> asked;
  for (const sim::Call* c : Only(pad, "GET_HASH_KEY")) asked.push_back(c->text[0]);
  EXPECT_EQ(asked, (std::vector<std::string>{"\"INPUT_FRONTEND_LB\"", "\"INPUT_FRONTEND_UP\""}));
  EXPECT_EQ(Module().fight.roster, fighters);
  EXPECT_FALSE(Module().main_loop.enabled);
  world().keys_down[kF9] = 0;  // let go while F10 is the trigger
  RunPass();
  Press(0, kT);  // on again
  reload("reload_key=Ctrl+F11\nkey_trigger=F9\ntoggle_key=T\n");
  EXPECT_EQ(FightStarts(RunPass()), 0);
  EXPECT_EQ(Module().main_loop.pad_hold, 0u);
  EXPECT_EQ(FightStarts(Press(0, kF10)), 0);
}

// A reload that switches law_steps_in undoes or sets the law's relations once
// the groups exist; one that leaves it as it was touches nothing.
TEST_F(PlayerKeysTest, AReloadSwitchesTheLawsRelationsOnlyWhenLawStepsInChanges) {
  constexpr int kF11 = 122;
  AddRow(4);
  Start("law_steps_in=true\nreload_key=F11\nfight_timer=100000\n");
  RunPass();
  ASSERT_EQ(FightStarts(ReleaseKey()), 1);
  const struct {
    const char* ini;
    int cleared, set;
  } cases[] = {{"law_steps_in=false\nreload_key=F11\n", 8, 0},
               {"reload_key=F11\nfight_radius=20\n", 0, 0},
               {"law_steps_in=true\nreload_key=F11\n", 0, 8}};
  for (const auto& c : cases) {
    std::ofstream("Ruckvale.ini", std::ios::binary) << c.ini;
    const Pass pass = ReleaseKey(kF11);
    EXPECT_EQ(Count(pass, "CLEAR_RELATIONSHIP_BETWEEN_GROUPS"), c.cleared) << c.ini;
    EXPECT_EQ(Count(pass, "SET_RELATIONSHIP_BETWEEN_GROUPS"), c.set) << c.ini;
  }
}

// Only a file is rotated: a folder named Ruckvale.log stays where it is, and
// an earlier log that cannot become Ruckvale.log.1 is followed, not replaced.
TEST_F(PlayerKeysTest, OnlyAFileIsRotatedAndNoLogIsLost) {
  namespace fs = std::filesystem;
  Start();
  fs::create_directories("Ruckvale.log/kept");
  folder_->Write("log=true\n");
  run_.host.StartScript();
  RunPass();
  EXPECT_TRUE(fs::exists("Ruckvale.log/kept"));
  EXPECT_FALSE(fs::exists("Ruckvale.log.1"));
  fs::remove_all("Ruckvale.log");
  fs::create_directories("Ruckvale.log.1/kept");
  run_.host.StartScript();
  RunPass();
  const std::string first = ReadLog();
  run_.host.StartScript();
  RunPass();
  EXPECT_TRUE(fs::exists("Ruckvale.log.1/kept"));
  const std::string both = ReadLog();
  EXPECT_TRUE(both.starts_with(first)) << both;
  EXPECT_NE(both.find("script started again", first.size()), std::string::npos) << both;
}

#if !defined(_WIN32)
// A disk that takes nothing: the log stops, the module goes on.
TEST_F(PlayerKeysTest, AWriteErrorStopsTheLogAndNothingElse) {
  namespace fs = std::filesystem;
  AddRow(3);
  Start("log=true\nfight_timer=100000\n");
  fs::create_directories("Ruckvale.log.1/kept");  // no rotation: the link stays
  fs::create_symlink("/dev/full", "Ruckvale.log");
  RunPass();
  EXPECT_EQ(Module().log.file, nullptr);
  EXPECT_EQ(FightStarts(ReleaseKey()), 1);
}
#endif

}  // namespace
}  // namespace ruckvale
