// Everything the module keeps from load to unload, in one object. It is
// constant-initialised, so a freshly loaded DLL holds exactly ModuleState{}
// before any code runs, and reaching it costs no guard test. Only the script
// fiber touches it. Bind it once at the top of a function:
//   ModuleState& m = Module();
#pragma once

#include <cstdint>

#include "fight/fight_state.h"
#include "fight/weapons.h"
#include "host/log_repeats.h"
#include "host/main_loop_state.h"
#include "host/module_log.h"
#include "host/notice.h"
#include "probe/probe_state.h"
#include "settings/fight_settings.h"

namespace ruckvale {

struct ModuleState {
  FightSettings settings;     // written only by LoadSettings
  WeaponCatalogue catalogue;  // written only by BuildWeaponCatalogue
  std::uint32_t random_state = 1;
  MainLoopState main_loop;
  FightState fight;
  ModuleLog log;                          // open only with log=true
  TriggerRepeats repeats[kTriggerCount];  // outcomes counted, not yet written
  int script_starts = 0;                  // how often the game started the script in this process
  ProbeState probe;                       // on only with probe=true
  NoticeState notice;                     // pending only with notify=true
};

extern constinit ModuleState g_module;
inline ModuleState& Module() {
  return g_module;
}

}  // namespace ruckvale
