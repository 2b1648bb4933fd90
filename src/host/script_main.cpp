#include "host/script_main.h"

#include <algorithm>
#include <limits>

#include "fight/start_fight.h"
#include "fight/supervise.h"
#include "host/hook.h"
#include "host/module_events.h"
#include "host/module_state.h"
#include "host/natives.h"
#include "host/notice.h"
#include "host/random.h"
#include "host/reload.h"
#include "host/system.h"
#include "probe/probe.h"
#include "settings/load_settings.h"

namespace ruckvale {

namespace {

// Runs one start-up step; a step that runs out of memory is passed over and
// the script goes on with what it has.
template <typename Step>
void StartUpStep(Step step) noexcept {
  try {
    step();
  } catch (...) {
  }
}

FightContext FightContextOf(ModuleState& m) {
  return FightContext{m.settings, m.catalogue, m.random_state};
}

// The player's ped, read once at start.
Ped StartScript(ModuleState& m) noexcept {
  ++m.script_starts;
  StartUpStep([&m] { ResetFightState(m.fight); });
  // Settings are read afresh at every start, so a reload sees the file as it is now.
  m.settings = FightSettings{};
  const bool have_ini = LoadSettings(m.settings);
  StartUpStep([&m] { BuildWeaponCatalogue(m.catalogue); });
  AskPadControls(m);
  const std::uint32_t now = GetTickCount();
  SeedRandom(m.random_state, now);
  m.main_loop.enabled = m.settings.start_enabled;
  m.main_loop.toggle_latch = false;
  m.main_loop.reload_latch = false;
  m.main_loop.more_inputs = m.settings.HasMoreBindings();
  m.main_loop.sitting_out = false;
  m.main_loop.last_now = now;
  ProbeScriptEnds(m);
  LogPendingRepeats(m);
  CloseLog(m.log);
  if (m.settings.log || m.settings.probe) OpenLog(m.log, now);
  LogStartUp(m, have_ini, now);
  m.notice.pending = false;  // one left from the last run of the script is forgotten
  QueueNotice(m, NoticeKind::Start, now);
  ProbeScriptStart(m, now);
  return natives::PlayerPedId();
}

// A fight start and its log line, out of the pass's own code: the start's
// report is large, and kept inline it would enlarge every pass's frame.
// With the probe on, the start is read back too.
void StartAndProbe(ModuleState& m, std::uint32_t now, Trigger trigger) {
  RosterCopy before;
  CopyRoster(m.fight.roster, before);
  const FightStartReport report = StartFight(m.fight, FightContextOf(m), now);
  LogFightStart(m, now, trigger, report);
  ProbeFightStart(m, now, report, before);
}

[[gnu::noinline]] void StartAndLog(ModuleState& m, std::uint32_t now, Trigger trigger) {
  if (m.probe.on) {
    StartAndProbe(m, now, trigger);
    return;
  }
  LogFightStart(m, now, trigger, StartFight(m.fight, FightContextOf(m), now));
}

void TimerTrigger(ModuleState& m, std::uint32_t now) {
  if (!TimerRollDue(m.main_loop, now, m.settings.fight_timer)) return;
  if (!m.main_loop.enabled) return;  // switched off: the timer does not roll
  m.main_loop.last_roll_tick = now;
  m.main_loop.has_rolled = true;
  if (NextRandom(m.random_state) % 100 < m.settings.fight_chance) {
    StartAndLog(m, now, Trigger::Timer);
  }
}

// GetAsyncKeyState reads the key whichever program has the keyboard: a
// release counts only while the game's own window is in the foreground.
bool GameHasForeground() {
  const HWND window = GetForegroundWindow();
  if (window == nullptr) return false;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  return owner == GetCurrentProcessId();
}

bool KeyDown(std::int32_t key) {
  return (static_cast<std::uint16_t>(GetAsyncKeyState(key)) & 0x8000u) != 0;
}

// A key setting: the key and the modifier (0: none) that must be down when
// it is released.
struct Binding {
  std::int32_t key;
  std::int32_t modifier;
};

// Whether a release of the key belongs to `mine` when `other` is bound to the
// same key: its modifier is down, or it has none and no modifier `other`
// names is down. Identical bindings both own every release.
bool OwnsRelease(const Binding& mine, const Binding& other) {
  if (mine.modifier != 0) return KeyDown(mine.modifier);
  return other.modifier == 0 || !KeyDown(other.modifier);
}

// Said of a modified key first seen released after a sit-out: the modifier
// was let go at some time the module could not see.
constexpr char kReleasedInSitOut[] =
    "it was released while Ruckvale sat out, and its modifier is up now; press it again";
// Said of a key the trigger and the toggle share with different modifiers:
// whose release it was cannot be told after a sit-out.
constexpr char kSharedInSitOut[] =
    "it was released while Ruckvale sat out, when the modifiers that tell key_trigger from "
    "toggle_key could not be read; neither counts, press it again";

// Why a release of `mine` does nothing, or nullptr when it counts. "" when
// the log hears of it from `other`, bound to the same key: the release was
// the other's, or, first seen after a sit-out, `mine` is the toggle and
// `other` tells for both.
const char* Refusal(const Binding& mine, const Binding& other, bool off, bool after_sit_out,
                    bool is_toggle) {
  if (other.key == mine.key && other.modifier != mine.modifier) {
    if (after_sit_out) return is_toggle ? "" : kSharedInSitOut;
    if (!OwnsRelease(mine, other) && OwnsRelease(other, mine)) return "";
  }
  if (off) return "the triggers are off";
  if (mine.modifier != 0 && !KeyDown(mine.modifier)) {
    return after_sit_out ? kReleasedInSitOut : "its modifier was up";
  }
  if (!GameHasForeground()) return "another program has the foreground";
  return nullptr;
}

// True when the key was released since the last pass: its latch was set.
bool Released(std::uint8_t& latch, bool down) {
  if (down) {
    latch = 1;
    return false;
  }
  if (latch != 1) return false;
  latch = 0;
  return true;
}

// True when a released trigger key started a fight (or tried to).
bool KeyTrigger(ModuleState& m, std::uint32_t now, bool after_sit_out) {
  const std::int32_t key = m.settings.key_trigger;
  const bool down = KeyDown(key);
  if (key < 0 || key > 255) return false;  // the settings reader never stores such a code
  if (!Released(m.main_loop.key_latch[key], down)) return false;
  const FightSettings& s = m.settings;
  const char* why = Refusal({key, s.key_trigger_modifier}, {s.toggle_key, s.toggle_key_modifier},
                            !m.main_loop.enabled, after_sit_out, false);
  if (why != nullptr) {
    if (*why != '\0') LogIgnored(m, now, Trigger::Key, why);
    return false;
  }
  StartAndLog(m, now, Trigger::Key);
  return true;
}

// Why a pad release does nothing, or nullptr when it starts a fight.
const char* PadRefusal(const ModuleState& m, bool key_fought) {
  if (!m.main_loop.enabled) return "the triggers are off";
  if (key_fought) return "key_trigger started a fight in the same frame";
  if (natives::IsUsingKeyboardAndMouse(0)) return "the keyboard and mouse are in use";
  if (!GameHasForeground()) return "another program has the foreground";
  return nullptr;
}

// Hold one gamepad control and release another; a keyboard bound to the
// same controls never fires it. At most one fight per frame from a release.
void PadTrigger(ModuleState& m, std::uint32_t now, bool key_fought) {
  if (!m.settings.HasPadTrigger()) return;
  if (!natives::IsDisabledControlPressed(0, m.main_loop.pad_hold)) return;
  if (!natives::IsDisabledControlJustReleased(0, m.main_loop.pad_press)) return;
  if (const char* why = PadRefusal(m, key_fought)) {
    LogIgnored(m, now, Trigger::Pad, why);
    return;
  }
  StartAndLog(m, now, Trigger::Pad);
}

// True when `key` (0 to 255; another code never) is up and was down at the
// last poll, which `was_down` keeps.
bool ReleasedSince(std::int32_t key, bool& was_down) {
  if (key < 0 || key > 255) return false;
  const bool down = KeyDown(key);
  const bool released = was_down && !down;
  was_down = down;
  return released;
}

// Its release switches the triggers off, and the next on again.
void ToggleTrigger(ModuleState& m, std::uint32_t now, bool after_sit_out) {
  const std::int32_t key = m.settings.toggle_key;
  if (!ReleasedSince(key, m.main_loop.toggle_latch)) return;
  const FightSettings& s = m.settings;
  const char* why = Refusal({key, s.toggle_key_modifier}, {s.key_trigger, s.key_trigger_modifier},
                            false, after_sit_out, true);
  if (why != nullptr) {
    if (*why != '\0') LogIgnored(m, now, Trigger::Toggle, why);
    return;
  }
  m.main_loop.enabled = !m.main_loop.enabled;
  LogToggle(m, now);
  QueueNotice(m, m.main_loop.enabled ? NoticeKind::On : NoticeKind::Off, now);
}

// Its release reads Ruckvale.ini again, whether the triggers are on or off.
// A key it shares with key_trigger or toggle_key acts for both (the checker
// warns of it).
void ReloadTrigger(ModuleState& m, std::uint32_t now, bool after_sit_out) {
  const std::int32_t key = m.settings.reload_key;
  if (!ReleasedSince(key, m.main_loop.reload_latch)) return;
  const Binding mine{key, m.settings.reload_key_modifier};
  if (const char* why = Refusal(mine, mine, false, after_sit_out, false)) {
    LogIgnored(m, now, Trigger::Reload, why);
    return;
  }
  ReloadSettings(m, now);
  QueueNotice(m, NoticeKind::Reloaded, now);  // with notify as the file now sets it
}

// The game gates the pass: Ruckvale sits out, and the log says so once.
void SitOut(ModuleState& m) {
  if (m.main_loop.sitting_out) return;
  m.main_loop.sitting_out = true;
  LogSitOutBegins(m, m.main_loop.last_now);
}

}  // namespace

std::int32_t TimerPeriodMs(std::int32_t fight_timer) {
  const std::int64_t period = static_cast<std::int64_t>(fight_timer) * 1000;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      period, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

bool TimerRollDue(const MainLoopState& loop, std::uint32_t now, std::int32_t fight_timer) {
  const std::int64_t elapsed = loop.has_rolled
                                   ? static_cast<std::int32_t>(now - loop.last_roll_tick)
                                   : static_cast<std::int64_t>(now);
  return elapsed >= TimerPeriodMs(fight_timer);
}

void RunPass(Ped player) noexcept {
  ModuleState& m = Module();
  try {
    if (natives::GetPedResetFlag(player, kResetFlagGate)) {
      SitOut(m);
      return;
    }
    const std::uint32_t now = GetTickCount();
    const bool after_sit_out = m.main_loop.sitting_out;
    if (after_sit_out) {
      m.main_loop.sitting_out = false;
      LogSitOutEnds(m, m.main_loop.last_now, now);
      ProbeGateStretch(m, m.main_loop.last_now, now);
    }
    m.main_loop.last_now = now;
    TimerTrigger(m, now);
    const bool key_fought = KeyTrigger(m, now, after_sit_out);
    // A toggle switches the triggers from the next pass on.
    if (m.main_loop.more_inputs) {
      PadTrigger(m, now, key_fought);
      ToggleTrigger(m, now, after_sit_out);
      ReloadTrigger(m, now, after_sit_out);
    }
    // Most passes have no fight to keep going.
    if (m.fight.roster.empty()) return;
    SuperviseFighters(m.fight, m.random_state, now);
    if (const int let_go = PruneRoster(m.fight); let_go > 0) {
      LogFightOver(m, now, let_go);
      ProbeFightOver(m, now);
    }
  } catch (...) {
    // Out of memory in the fight code: this pass is abandoned; the fight
    // state is as before it or a complete new fight.
  }
}

void RunLoopPass(Ped player) noexcept {
  RunPass(player);
  ModuleState& m = Module();
  // The probe's test per pass, outside the pass itself: off, one load.
  if (m.probe.on && static_cast<std::int32_t>(m.main_loop.last_now - m.probe.due) >= 0) {
    RunProbe(m);
  }
  // A notice waiting to be shown, tried after the pass: none, one load.
  if (m.notice.pending) StepNotice(m);
}

void ScriptMain() {
  const Ped player = StartScript(Module());
  for (;;) {
    RunLoopPass(player);
    scriptWait(0);
  }
}

}  // namespace ruckvale
