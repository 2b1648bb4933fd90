// The field probe (probe=true): at each fight's start, 1 s and 5 s after it,
// at its end and 5 s after a ped is let go, it asks the game read-only
// questions about the fighters and writes the answers to Ruckvale.log, with
// a verdict block per open question of the game notes. With the probe off
// none of these asks anything; the script's loop calls RunProbe only when
// the pass's tick reaches ProbeState::due.
#pragma once

#include <cstdint>

#include "fight/start_fight.h"
#include "host/module_state.h"

namespace ruckvale {

// At the script's start, after the settings are read and the log opened.
void ProbeScriptStart(ModuleState& m, std::uint32_t now) noexcept;
// Before the settings are read again at a restart: the verdict, and the
// let-go peds that get no last look.
void ProbeScriptEnds(ModuleState& m) noexcept;

// The fighters of the current roster, before a fight start replaces it.
struct RosterCopy {
  RosterEntry entries[kProbeFighters];
  int count = 0;
};
void CopyRoster(const FightRoster& roster, RosterCopy& copy) noexcept;
// After a fight start: `before` was the roster before it.
void ProbeFightStart(ModuleState& m, std::uint32_t now, const FightStartReport& r,
                     const RosterCopy& before) noexcept;
// After PruneRoster let the winners go.
void ProbeFightOver(ModuleState& m, std::uint32_t now) noexcept;
// A stretch of the gate, from `since` to `now`.
void ProbeGateStretch(ModuleState& m, std::uint32_t since, std::uint32_t now) noexcept;
// What is due at the last pass's tick: a sample, last looks, the pad's controls.
void RunProbe(ModuleState& m) noexcept;

}  // namespace ruckvale
