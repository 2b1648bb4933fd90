// The pass decoder against the module's own state: after every pass its
// roster, rolls and re-tasks must be what the module holds, however the
// module orders its calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "host/module_state.h"
#include "module_fixture.h"
#include "settings/load_settings.h"
#include "tools/pass_decoder.h"

namespace ruckvale {
namespace {

using testing_support::kF12;
using testing_support::ModuleTest;

class DecoderTest : public ModuleTest {
 protected:
  void Begin(const std::string& ini) {
    AddRow(6);
    Start(ini);
    FightSettings settings;
    ReadSettingsText(ini, settings);
    decoder_.emplace(settings);
  }

  // Runs one pass, decodes it and checks it against the module.
  tools::PassEvents Step(std::uint32_t advance_ms = 33) {
    const MainLoopState before = Module().main_loop;
    const std::uint32_t now = world().tick;
    std::vector<sim::Call> calls;
    for (const sim::Call* c : RunPass(advance_ms)) calls.push_back(*c);
    const tools::PassEvents events = decoder_->Decode(0, calls, game());
    EXPECT_FALSE(events.strange_key);
    const ModuleState& m = Module();
    std::vector<Ped> roster;
    for (const RosterEntry& e : m.fight.roster) roster.push_back(e.ped);
    EXPECT_EQ(decoder_->roster(), roster);
    const bool rolled = m.main_loop.has_rolled != before.has_rolled ||
                        m.main_loop.last_roll_tick != before.last_roll_tick;
    EXPECT_EQ(events.roll.has_value(), rolled);
    // A start enters its fighters at `now` too; they rest in that pass.
    std::vector<Ped> started, retasked, told;
    for (const tools::FightStart& f : events.starts) {
      for (const tools::FighterInfo& fi : f.fighters) started.push_back(fi.ped);
    }
    for (const auto& [ped, tick] : m.fight.retask_times.entries()) {
      const bool new_fighter = std::find(started.begin(), started.end(), ped) != started.end();
      if (tick == now && now != 0 && !new_fighter) retasked.push_back(ped);
    }
    for (const tools::RetaskEvent& r : events.retasks) told.push_back(r.ped);
    std::sort(told.begin(), told.end());
    EXPECT_EQ(told, retasked);
    for (const tools::FightStart& f : events.starts) {
      const std::size_t n = f.fighters.size();
      EXPECT_EQ(f.tasks.size(), n < 2 ? 0 : n);
    }
    return events;
  }

  // A pass with the key down, then the pass that finds it released.
  tools::PassEvents PressAndRelease() {
    world().keys_down[kF12] = 1;
    Step();
    world().keys_down[kF12] = 0;
    return Step();
  }

  std::optional<tools::PassDecoder> decoder_;
};

// The decoder's own rules, stated as literal cases.
TEST(DecoderRules, TheTimerAndTheRadius) {
  struct Roll {
    bool rolled;
    std::uint32_t last, now;
    std::int32_t timer;
    bool due;
  };
  const Roll rolls[] = {
      {false, 0, 59999, 60, false},
      {false, 0, 60000, 60, true},
      {false, 0, 4000000000u, 60, true},  // up for weeks: the tick itself counts
      {true, 1000, 61000, 60, true},
      {true, 1000, 60999, 60, false},
      {true, 4294967000u, 59704, 60, true},  // across the wrap: 60000 ms
      {true, 0, 2147483648u, 60, false},     // 2^31 ms later reads as negative
      {true, 5000, 5000, 0, true},
      {true, 5000, 4999, -1, true},
      {true, 0, 2147483646u, 2147484, false},  // the period clamps to 2^31 - 1 ms
      {true, 0, 2147483647u, 2147484, true},
  };
  for (const Roll& r : rolls) {
    EXPECT_EQ(tools::RollDue(r.rolled, r.last, r.now, r.timer), r.due)
        << r.rolled << " " << r.last << " " << r.now << " " << r.timer;
  }
  const Vector3 origin{0, 0, 0};
  EXPECT_TRUE(tools::InReach(origin, Vector3{3, 4, 0}, 5.0f));
  EXPECT_FALSE(tools::InReach(origin, Vector3{3, 4, 0.1f}, 5.0f));  // height counts
  EXPECT_FALSE(tools::InReach(origin, Vector3{0, 0, 0}, -1.0f));
  EXPECT_TRUE(tools::InReach(origin, Vector3{90, 0, 0}, std::nanf("")));
}

TEST_F(DecoderTest, AFightItsReTasksAndItsEndAgreeWithTheModule) {
  world().tick = 10000;
  Begin("fight_timer=100000\nfight_group_size=3\n");
  Step();
  const tools::PassEvents fight = PressAndRelease();
  ASSERT_EQ(fight.starts.size(), 1u);
  EXPECT_FALSE(fight.starts[0].by_timer);
  for (int i = 0; i < 200; ++i) {
    // Fighters drop out, die and vanish between passes.
    if (i % 20 == 5) {
      for (const RosterEntry& e : Module().fight.roster) world().Find(e.ped)->in_combat = false;
    }
    if (i == 90) world().Find(Module().fight.roster.front().ped)->life = sim::Life::Dead;
    if (i == 150 && !Module().fight.roster.empty()) {
      world().Find(Module().fight.roster.back().ped)->exists = false;
    }
    const tools::PassEvents events = Step(500);
    // The vanished fighter leaves the last one standing alone: it is let go.
    EXPECT_EQ(events.fight_over, i == 150) << i;
  }
  // Fighter 0 (group 1) died, fighter 2 (group 1) vanished: fighter 1 stood
  // alone and was let go.
  EXPECT_TRUE(Module().fight.roster.empty());
}

TEST_F(DecoderTest, TwoStartsInOnePassAndAStartThatChangesNothing) {
  world().tick = 10000;
  Begin("fight_timer=0\nfight_chance=100\nfight_group_size=2\n");
  Step();
  const tools::PassEvents both = PressAndRelease();
  ASSERT_EQ(both.starts.size(), 2u);
  EXPECT_TRUE(both.starts[0].by_timer);
  EXPECT_FALSE(both.starts[1].by_timer);
  // Everyone but one ped is taken by another script: too few qualify.
  const Ped keep = Module().fight.roster[0].ped;
  for (sim::SimPed& p : world().peds) {
    if (p.handle != world().player && p.handle != keep && !p.mission_entity) {
      p.mission_entity = p.story_owned = true;
    }
  }
  world().Find(Module().fight.roster[1].ped)->exists = false;
  const tools::PassEvents nothing = Step();
  ASSERT_EQ(nothing.starts.size(), 1u);
  EXPECT_TRUE(nothing.starts[0].fighters.empty());
}

TEST_F(DecoderTest, ARestartBeginsWithNoFight) {
  world().tick = 10000;
  Begin("fight_timer=3\nfight_chance=100\n");
  for (int i = 0; i < 5; ++i) Step(1000);
  ASSERT_FALSE(Module().fight.roster.empty());
  run_.host.StartScript();
  EXPECT_TRUE(Step().start_up);
  for (int i = 0; i < 5; ++i) Step(1000);
}

// Switched off from the start and by the toggle, the module neither rolls
// (Step holds the decoder's rolls to the module's) nor weighs a key release.
TEST_F(DecoderTest, NoRollAndNoTriggerWhileSwitchedOff) {
  world().tick = 10000;
  Begin("toggle_key=T\nstart_enabled=false\nfight_timer=1\nfight_chance=0\n");
  const auto press = [this](int key) {
    world().keys_down[key] = 1;
    Step();
    world().keys_down[key] = 0;
    return Step();
  };
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(Step(1000).roll);
  EXPECT_EQ(press(kF12).key_ignored, tools::Ignored::Off);
  EXPECT_EQ(press('T').toggled, true);
  EXPECT_TRUE(Step(1000).roll);
  EXPECT_EQ(press(kF12).key_ignored, tools::Ignored::None);
  EXPECT_EQ(press('T').toggled, false);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(Step(1000).roll);
}

// One pass's calls as the module may make them, built by hand: the gate, the
// clock, then what the test adds.
struct PassCalls {
  std::vector<sim::Call> calls;
  explicit PassCalls(bool gated = false) {
    Native(NativeHash::GET_PED_RESET_FLAG, gated ? 1 : 0);
    if (!gated) Windows("GetTickCount", 20000);
  }
  PassCalls& Native(NativeHash hash, std::uint64_t result) {
    sim::Call c;
    c.kind = sim::CallKind::Native;
    c.native = static_cast<std::uint64_t>(hash);
    c.args = {1, 0};
    c.result = result;
    calls.push_back(c);
    return *this;
  }
  PassCalls& Windows(const char* name, std::uint64_t result, std::uint64_t arg = 0) {
    sim::Call c;
    c.kind = sim::CallKind::Windows;
    c.name = name;
    c.args = {arg};
    c.result = result;
    calls.push_back(c);
    return *this;
  }
  PassCalls& Poll(int key, bool down) {
    return Windows("GetAsyncKeyState", down ? 0x8000 : 0, static_cast<std::uint64_t>(key));
  }
  // The foreground test: the game's own window (process 7) or another's.
  PassCalls& Window(bool ours) {
    Windows("GetForegroundWindow", 1);
    Windows("GetWindowThreadProcessId", 1).calls.back().handles = {ours ? 7 : 8};
    return Windows("GetCurrentProcessId", 7);
  }
  // The pad combination released (hold down, the other just up), and the
  // keyboard's use.
  PassCalls& Pad(bool keyboard) {
    Native(NativeHash::IS_DISABLED_CONTROL_PRESSED, 1);
    Native(NativeHash::IS_DISABLED_CONTROL_JUST_RELEASED, 1);
    return Native(NativeHash::IS_USING_KEYBOARD_AND_MOUSE, keyboard ? 1 : 0);
  }
  PassCalls& Start() { return Native(NativeHash::GET_PED_NEARBY_PEDS, 0); }
};

// The shapes of passes the decoder reads without the module: a pad release
// while off or in the background, a key and a pad release in one pass, a
// trigger and a toggle on one key with different modifiers, a key released
// while off, and a release first seen after the reset flag's stretch.
TEST(DecoderShapes, EachReleaseIsToldAsTheModuleWeighedIt) {
  using tools::Ignored;
  constexpr int kCtrl = 0x11, kF9 = 120, kT = 'T';
  struct Case {
    const char* name;
    const char* ini;
    std::vector<PassCalls> passes;
    Ignored key, pad, toggle;
    std::optional<bool> toggled;
    int starts, pad_starts;
  };
  const char* const pad_off = "pad_trigger=RB+DPAD_DOWN\ntoggle_key=T\nstart_enabled=false\n";
  const char* const pad = "pad_trigger=RB+DPAD_DOWN\n";
  const char* const plain_key = "key_trigger=F12\ntoggle_key=Ctrl+F12\n";
  const char* const plain_toggle = "key_trigger=Ctrl+F9\ntoggle_key=F9\n";
  const Case cases[] = {
      {"pad while off",
       pad_off,
       {PassCalls().Poll(kF12, false).Pad(false).Poll(kT, false)},
       Ignored::None,
       Ignored::Off,
       Ignored::None,
       std::nullopt,
       0,
       0},
      {"pad in the background",
       pad,
       {PassCalls().Poll(kF12, false).Pad(false).Window(false)},
       Ignored::None,
       Ignored::Background,
       Ignored::None,
       std::nullopt,
       0,
       0},
      {"pad fights",
       pad,
       {PassCalls().Poll(kF12, false).Pad(false).Window(true).Start()},
       Ignored::None,
       Ignored::None,
       Ignored::None,
       std::nullopt,
       1,
       1},
      {"key and pad in one pass",
       pad,
       {PassCalls().Poll(kF12, true),
        PassCalls().Poll(kF12, false).Window(true).Start().Pad(false).Window(true)},
       Ignored::None,
       Ignored::KeyFight,
       Ignored::None,
       std::nullopt,
       1,
       0},
      {"Ctrl+F12 is the toggle's",
       plain_key,
       {PassCalls().Poll(kF12, true).Poll(kF12, true), PassCalls()
                                                           .Poll(kF12, false)
                                                           .Poll(kCtrl, true)
                                                           .Poll(kF12, false)
                                                           .Poll(kCtrl, true)
                                                           .Window(true)},
       Ignored::OtherBinding,
       Ignored::None,
       Ignored::None,
       false,
       0,
       0},
      {"F12 is the trigger's",
       plain_key,
       {PassCalls().Poll(kF12, true).Poll(kF12, true), PassCalls()
                                                           .Poll(kF12, false)
                                                           .Poll(kCtrl, false)
                                                           .Window(true)
                                                           .Start()
                                                           .Poll(kF12, false)
                                                           .Poll(kCtrl, false)},
       Ignored::None,
       Ignored::None,
       Ignored::OtherBinding,
       std::nullopt,
       1,
       0},
      {"Ctrl+F9 is the trigger's",
       plain_toggle,
       {PassCalls().Poll(kF9, true).Poll(kF9, true), PassCalls()
                                                         .Poll(kF9, false)
                                                         .Poll(kCtrl, true)
                                                         .Window(true)
                                                         .Start()
                                                         .Poll(kF9, false)
                                                         .Poll(kCtrl, true)},
       Ignored::None,
       Ignored::None,
       Ignored::OtherBinding,
       std::nullopt,
       1,
       0},
      {"key while off",
       "toggle_key=T\nstart_enabled=false\n",
       {PassCalls().Poll(kF12, true).Poll(kT, false),
        PassCalls().Poll(kF12, false).Poll(kT, false)},
       Ignored::Off,
       Ignored::None,
       Ignored::None,
       std::nullopt,
       0,
       0},
      {"key after the sit-out",
       "",
       {PassCalls().Poll(kF12, true), PassCalls(true), PassCalls().Poll(kF12, false)},
       Ignored::SitOut,
       Ignored::None,
       Ignored::None,
       std::nullopt,
       0,
       0},
  };
  const sim::Game game;
  for (const Case& c : cases) {
    FightSettings settings;
    ReadSettingsText(c.ini, settings);
    tools::PassDecoder decoder(settings);
    tools::PassEvents events;
    for (const PassCalls& pass : c.passes) events = decoder.Decode(0, pass.calls, game);
    EXPECT_FALSE(events.strange_key) << c.name;
    EXPECT_EQ(events.key_ignored, c.key) << c.name;
    EXPECT_EQ(events.pad_ignored, c.pad) << c.name;
    EXPECT_EQ(events.toggle_ignored, c.toggle) << c.name;
    EXPECT_EQ(events.toggled, c.toggled) << c.name;
    ASSERT_EQ(static_cast<int>(events.starts.size()), c.starts) << c.name;
    int pad_starts = 0;
    for (const tools::FightStart& f : events.starts) pad_starts += f.by_pad ? 1 : 0;
    EXPECT_EQ(pad_starts, c.pad_starts) << c.name;
  }
}

// The module read its ini otherwise than the tool (a line too long for the
// memory left): the key it polls tells.
TEST_F(DecoderTest, AKeyTheIniDoesNotNameIsTold) {
  AddRow(6);
  Start("key_trigger=F3\n");
  FightSettings read_by_tool;
  ReadSettingsText("key_trigger=F2\ntoggle_key=Ctrl+F3\n", read_by_tool);
  tools::PassDecoder decoder(read_by_tool);
  std::vector<sim::Call> calls;
  for (const sim::Call* c : RunPass(33)) calls.push_back(*c);
  EXPECT_FALSE(decoder.Decode(0, calls, game()).strange_key);  // F3 is the toggle key
  read_by_tool.toggle_key = -1;
  tools::PassDecoder without_toggle(read_by_tool);
  EXPECT_EQ(without_toggle.Decode(0, calls, game()).strange_key, 0x72);  // F3
}

}  // namespace
}  // namespace ruckvale
