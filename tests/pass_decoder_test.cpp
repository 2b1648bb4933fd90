// The pass decoder against the module's own state: after every pass its
// roster, rolls and re-tasks must be what the module holds, however the
// module orders its calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <utility>

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
// clock, then the calls its words name, in order: "F12v" a poll finding F12
// down (F9, T, Ctrl likewise; "^" up), "W+" the foreground test finding the
// game's window ("W-" another program's), "PAD" the pad combination released
// with the keyboard unused, "START" a fight start; "GATE" alone a pass the
// reset flag closed.
std::vector<sim::Call> PassCalls(const std::string& words) {
  std::vector<sim::Call> calls;
  const auto add = [&calls](sim::CallKind kind, NativeHash native, const char* name,
                            std::uint64_t arg, std::uint64_t result) -> sim::Call& {
    sim::Call c;
    c.kind = kind;
    c.native = kind == sim::CallKind::Native ? static_cast<std::uint64_t>(native) : 0;
    c.name = name;
    c.args = {arg, 0};
    c.result = result;
    return calls.emplace_back(std::move(c));
  };
  const auto native = [&](NativeHash hash, std::uint64_t result) {
    add(sim::CallKind::Native, hash, "", 1, result);
  };
  const auto windows = [&](const char* name, std::uint64_t arg,
                           std::uint64_t result) -> sim::Call& {
    return add(sim::CallKind::Windows, NativeHash{}, name, arg, result);
  };
  native(NativeHash::GET_PED_RESET_FLAG, words == "GATE" ? 1 : 0);
  if (words == "GATE") return calls;
  windows("GetTickCount", 0, 20000);
  static const std::pair<const char*, int> kKeys[] = {
      {"F12", 123}, {"F9", 120}, {"T", 'T'}, {"Ctrl", 0x11}};
  std::istringstream in(words);
  for (std::string word; in >> word;) {
    for (const auto& [name, code] : kKeys) {
      if (word == std::string(name) + "v" || word == std::string(name) + "^") {
        windows("GetAsyncKeyState", static_cast<std::uint64_t>(code),
                word.back() == 'v' ? 0x8000 : 0);
      }
    }
    if (word == "W+" || word == "W-") {
      windows("GetForegroundWindow", 0, 1);
      windows("GetWindowThreadProcessId", 1, 1).handles = {word == "W+" ? 7 : 8};
      windows("GetCurrentProcessId", 0, 7);
    } else if (word == "PAD") {
      native(NativeHash::IS_DISABLED_CONTROL_PRESSED, 1);
      native(NativeHash::IS_DISABLED_CONTROL_JUST_RELEASED, 1);
      native(NativeHash::IS_USING_KEYBOARD_AND_MOUSE, 0);
    } else if (word == "START") {
      native(NativeHash::GET_PED_NEARBY_PEDS, 0);
    }
  }
  return calls;
}

// The shapes of passes the decoder reads without the module: a pad release
// while off or in the background, a key and a pad release in one pass, a
// trigger and a toggle on one key with different modifiers, a key released
// while off, and a release first seen after the reset flag's stretch.
TEST(DecoderShapes, EachReleaseIsToldAsTheModuleWeighedIt) {
  using tools::Ignored;
  struct Told {
    Ignored key, pad, toggle;
    std::optional<bool> toggled;
    int starts, pad_starts;
  };
  struct Case {
    const char* ini;
    std::vector<std::string> passes;
    Told told;
  };
  const char* const pad = "pad_trigger=RB+DPAD_DOWN\n";
  const char* const pad_off = "pad_trigger=RB+DPAD_DOWN\ntoggle_key=T\nstart_enabled=false\n";
  const char* const plain_key = "key_trigger=F12\ntoggle_key=Ctrl+F12\n";
  const char* const plain_toggle = "key_trigger=Ctrl+F9\ntoggle_key=F9\n";
  const Ignored no = Ignored::None;
  const Case cases[] = {
      {pad_off, {"F12^ PAD T^"}, {no, Ignored::Off, no, std::nullopt, 0, 0}},
      {pad, {"F12^ PAD W-"}, {no, Ignored::Background, no, std::nullopt, 0, 0}},
      {pad, {"F12^ PAD W+ START"}, {no, no, no, std::nullopt, 1, 1}},
      {pad, {"F12v", "F12^ W+ START PAD W+"}, {no, Ignored::KeyFight, no, std::nullopt, 1, 0}},
      // Ctrl+F12 is the toggle's; F12 alone the trigger's.
      {plain_key,
       {"F12v F12v", "F12^ Ctrlv F12^ Ctrlv W+"},
       {Ignored::OtherBinding, no, no, false, 0, 0}},
      {plain_key,
       {"F12v F12v", "F12^ Ctrl^ W+ START F12^ Ctrl^"},
       {no, no, Ignored::OtherBinding, std::nullopt, 1, 0}},
      // Ctrl+F9 is the trigger's.
      {plain_toggle,
       {"F9v F9v", "F9^ Ctrlv W+ START F9^ Ctrlv"},
       {no, no, Ignored::OtherBinding, std::nullopt, 1, 0}},
      {"toggle_key=T\nstart_enabled=false\n",
       {"F12v T^", "F12^ T^"},
       {Ignored::Off, no, no, std::nullopt, 0, 0}},
      {"", {"F12v", "GATE", "F12^"}, {Ignored::SitOut, no, no, std::nullopt, 0, 0}},
      {"key_trigger=Ctrl+F9\n",
       {"F9v", "GATE", "F9^ Ctrl^"},
       {Ignored::SitOut, no, no, std::nullopt, 0, 0}},
  };
  const sim::Game game;
  for (const Case& c : cases) {
    const std::string name = c.ini + c.passes.back();
    FightSettings settings;
    ReadSettingsText(c.ini, settings);
    tools::PassDecoder decoder(settings);
    tools::PassEvents events;
    for (const std::string& pass : c.passes) events = decoder.Decode(0, PassCalls(pass), game);
    EXPECT_FALSE(events.strange_key) << name;
    EXPECT_EQ(events.key_ignored, c.told.key) << name;
    EXPECT_EQ(events.pad_ignored, c.told.pad) << name;
    EXPECT_EQ(events.toggle_ignored, c.told.toggle) << name;
    EXPECT_EQ(events.toggled, c.told.toggled) << name;
    ASSERT_EQ(static_cast<int>(events.starts.size()), c.told.starts) << name;
    int pad_starts = 0;
    for (const tools::FightStart& f : events.starts) pad_starts += f.by_pad ? 1 : 0;
    EXPECT_EQ(pad_starts, c.told.pad_starts) << name;
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
