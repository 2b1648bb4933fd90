#include "host/script_main.h"

#include <algorithm>
#include <limits>

#include "fight/start_fight.h"
#include "fight/supervise.h"
#include "host/hook.h"
#include "host/module_events.h"
#include "host/module_state.h"
#include "host/natives.h"
#include "host/random.h"
#include "host/system.h"
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

// The hashes of pad_trigger's controls, asked only when it is set.
void AskPadControls(ModuleState& m) {
  if (!m.settings.HasPadTrigger()) return;
  m.main_loop.pad_hold = natives::GetHashKey(kPadControls[m.settings.pad_hold].input);
  m.main_loop.pad_press = natives::GetHashKey(kPadControls[m.settings.pad_press].input);
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
  m.main_loop.pad_or_toggle = m.settings.HasPadTrigger() || m.settings.toggle_key >= 0;
  CloseLog(m.log);
  if (m.settings.log) OpenLog(m.log, now);
  LogStartUp(m, have_ini, now);
  return natives::PlayerPedId();
}

// A fight start and its log line, out of the pass's own code: the start's
// report is large, and kept inline it would enlarge every pass's frame.
[[gnu::noinline]] void StartAndLog(ModuleState& m, std::uint32_t now, const char* trigger) {
  LogFightStart(m, now, trigger, StartFight(m.fight, FightContextOf(m), now));
}

void TimerTrigger(ModuleState& m, std::uint32_t now) {
  if (!TimerRollDue(m.main_loop, now, m.settings.fight_timer)) return;
  if (!m.main_loop.enabled) return;  // switched off: the timer does not roll
  m.main_loop.last_roll_tick = now;
  m.main_loop.has_rolled = true;
  if (NextRandom(m.random_state) % 100 < m.settings.fight_chance) {
    StartAndLog(m, now, "timer");
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

// True when a release of a key with `modifier` (0: none) counts: the
// modifier is down and the game has the foreground. Logs why not.
bool ReleaseCounts(ModuleState& m, std::int32_t modifier, const char* what, std::uint32_t now) {
  if (modifier != 0 && !KeyDown(modifier)) {
    LogIgnored(m, now, what, "its modifier was up");
    return false;
  }
  if (!GameHasForeground()) {
    LogIgnored(m, now, what, "another program has the foreground");
    return false;
  }
  return true;
}

void KeyTrigger(ModuleState& m, std::uint32_t now) {
  const std::int32_t key = m.settings.key_trigger;
  const bool down = KeyDown(key);
  if (key < 0 || key > 255) return;  // the settings reader never stores such a code
  std::uint8_t& latch = m.main_loop.key_latch[key];
  if (down) {
    latch = 1;
    return;
  }
  if (latch != 1) return;
  latch = 0;
  if (!m.main_loop.enabled) {
    LogIgnored(m, now, "key_trigger", "the triggers are off");
  } else if (ReleaseCounts(m, m.settings.key_trigger_modifier, "key_trigger", now)) {
    StartAndLog(m, now, "key_trigger");
  }
}

// Hold one gamepad control and release another; a keyboard bound to the
// same controls never fires it.
void PadTrigger(ModuleState& m, std::uint32_t now) {
  if (!m.settings.HasPadTrigger() || !m.main_loop.enabled) return;
  if (!natives::IsDisabledControlPressed(0, m.main_loop.pad_hold)) return;
  if (!natives::IsDisabledControlJustReleased(0, m.main_loop.pad_press)) return;
  if (natives::IsUsingKeyboardAndMouse(0)) {
    LogIgnored(m, now, "pad_trigger", "the keyboard and mouse are in use");
    return;
  }
  StartAndLog(m, now, "pad_trigger");
}

// Its release switches the triggers off, and the next on again.
void ToggleTrigger(ModuleState& m, std::uint32_t now) {
  const std::int32_t key = m.settings.toggle_key;
  if (key < 0 || key > 255) return;
  const bool down = KeyDown(key);
  if (down || !m.main_loop.toggle_latch) {
    m.main_loop.toggle_latch = down;
    return;
  }
  m.main_loop.toggle_latch = false;
  if (!ReleaseCounts(m, m.settings.toggle_key_modifier, "toggle_key", now)) return;
  m.main_loop.enabled = !m.main_loop.enabled;
  LogToggle(m, now);
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
    if (natives::GetPedResetFlag(player, kResetFlagGate)) return;
    const std::uint32_t now = GetTickCount();
    TimerTrigger(m, now);
    KeyTrigger(m, now);
    // A toggle switches the triggers from the next pass on.
    if (m.main_loop.pad_or_toggle) {
      PadTrigger(m, now);
      ToggleTrigger(m, now);
    }
    // Most passes have no fight to keep going.
    if (m.fight.roster.empty()) return;
    SuperviseFighters(m.fight, m.random_state, now);
    if (const int let_go = PruneRoster(m.fight); let_go > 0) LogFightOver(m, now, let_go);
  } catch (...) {
    // Out of memory in the fight code: this pass is abandoned; the fight
    // state is as before it or a complete new fight.
  }
}

void ScriptMain() {
  const Ped player = StartScript(Module());
  for (;;) {
    RunPass(player);
    scriptWait(0);
  }
}

}  // namespace ruckvale
