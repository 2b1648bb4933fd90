#include "host/script_main.h"

#include <algorithm>
#include <limits>

#include "fight/start_fight.h"
#include "fight/supervise.h"
#include "host/hook.h"
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

// The player's ped, read once at start.
Ped StartScript() noexcept {
  StartUpStep([] { ResetFightState(); });
  // Settings are read afresh at every start, so a reload sees the file as it is now.
  Module().settings = FightSettings{};
  LoadSettings();
  StartUpStep([] { BuildWeaponCatalogue(); });
  SeedRandom(GetTickCount());
  return natives::PlayerPedId();
}

void TimerTrigger(std::uint32_t now) {
  ModuleState& m = Module();
  if (!TimerRollDue(m.main_loop, now, m.settings.fight_timer)) return;
  m.main_loop.last_roll_tick = now;
  m.main_loop.has_rolled = true;
  if (NextRandom() % 100 < m.settings.fight_chance) StartFight(now);
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

void KeyTrigger(std::uint32_t now) {
  ModuleState& m = Module();
  const std::int32_t key = m.settings.key_trigger;
  const bool down = (static_cast<std::uint16_t>(GetAsyncKeyState(key)) & 0x8000u) != 0;
  if (key < 0 || key > 255) return;  // the settings reader never stores such a code
  std::uint8_t& latch = m.main_loop.key_latch[key];
  if (down) {
    latch = 1;
  } else if (latch == 1) {
    latch = 0;
    if (GameHasForeground()) StartFight(now);
  }
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
  try {
    if (natives::GetPedResetFlag(player, kResetFlagGate)) return;
    const std::uint32_t now = GetTickCount();
    TimerTrigger(now);
    KeyTrigger(now);
    // Most passes have no fight to keep going.
    if (Module().fight.roster.empty()) return;
    SuperviseFighters(now);
    PruneRoster();
  } catch (...) {
    // Out of memory in the fight code: this pass is abandoned; the fight
    // state is as before it or a complete new fight.
  }
}

void ScriptMain() {
  const Ped player = StartScript();
  for (;;) {
    RunPass(player);
    scriptWait(0);
  }
}

}  // namespace ruckvale
