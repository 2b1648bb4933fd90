// The module's events as Ruckvale.log tells them: the start, each trigger and
// what came of it, a fight's end, the stretches the game makes Ruckvale sit
// out. Each writes nothing while the log is off, and ends its event with a
// flush. Only the start-up allocates.
#pragma once

#include <cstdint>

#include "fight/start_fight.h"
#include "host/log_repeats.h"
#include "host/module_state.h"

namespace ruckvale {

// The version, whether the ini was found and what each of its lines did, and
// every value in force.
void LogStartUp(ModuleState& m, bool have_ini, std::uint32_t now) noexcept;

// reload_key read Ruckvale.ini again: what each of its lines did, every value
// in force now, and what goes on. `before` holds the values before it;
// `opened`: the reload switched the log on.
void LogReload(ModuleState& m, bool have_ini, const FightSettings& before, bool opened,
               std::uint32_t now) noexcept;

// A trigger and the fight it started, or why none; a start that set the law
// against the brawl groups says so. The same "no fight" as the trigger's last
// one is counted instead of written.
void LogFightStart(ModuleState& m, std::uint32_t now, Trigger trigger,
                   const FightStartReport& report) noexcept;

// A trigger or toggle released and let go: `why` ("another program has the
// foreground", "its modifier was up", "the triggers are off", ...). The same
// reason as the trigger's last outcome is counted instead of written.
void LogIgnored(ModuleState& m, std::uint32_t now, Trigger trigger, const char* why) noexcept;

// The law's groups and the brawl groups were set to hate each other
// (steps_in) or cleared back to the game's relationship.
void LogLawRelations(ModuleState& m, std::uint32_t now, bool steps_in) noexcept;

// The toggle switched the triggers on or off.
void LogToggle(ModuleState& m, std::uint32_t now) noexcept;

// One side stood and `let_go` fighters were let go.
void LogFightOver(ModuleState& m, std::uint32_t now, int let_go) noexcept;

// The game set the player's reset flag 187 after the pass at `since`: no
// trigger is read until it clears.
void LogSitOutBegins(ModuleState& m, std::uint32_t since) noexcept;

// The first pass after a sit-out that began at `since`.
void LogSitOutEnds(ModuleState& m, std::uint32_t since, std::uint32_t now) noexcept;

// Writes the counts of repeated outcomes not yet told, and forgets every
// trigger's last outcome: before the log closes or the script starts again.
void LogPendingRepeats(ModuleState& m) noexcept;

}  // namespace ruckvale
