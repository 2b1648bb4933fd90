// The probe's lines in Ruckvale.log. Each writes nothing while the log is off.
#pragma once

#include <cstdint>

#include "fight/weapons.h"
#include "host/module_log.h"
#include "probe/probe_read.h"
#include "probe/probe_state.h"

namespace ruckvale {

// "1.0 s: 8 fighters: 8 in combat, ...": a sample's counts, then one line
// per fighter that fails a test.
void LogSample(ModuleLog& log, std::uint32_t now, const ProbeState& p,
               const WeaponCatalogue& catalogue, const SampleCounts& c,
               const FighterReading (&r)[kProbeFighters]);

// A look at let-go peds: `what` says when ("at the end of the fight", ...).
void LogLook(ModuleLog& log, std::uint32_t now, const char* what, const LookCounts& c);
// One let-go ped that is still a mission entity or not in its default group.
void LogLetGoFault(ModuleLog& log, std::uint32_t now, Ped ped, const LetGoReading& r);

// The verdict block: per open question of the game notes, the counts so far.
void LogVerdict(ModuleLog& log, std::uint32_t now, const ProbeState& p, const char* when);

// "12.3": tenths of a second.
void ProbeSeconds(std::uint32_t ms, char (&out)[16]);

}  // namespace ruckvale
