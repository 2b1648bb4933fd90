// The module's events as Ruckvale.log tells them: the start, each trigger and
// what came of it, a fight's end. Each writes nothing while the log is off,
// and ends its event with a flush. Only the start-up allocates.
#pragma once

#include <cstdint>

#include "fight/start_fight.h"
#include "host/module_state.h"

namespace ruckvale {

// The version, whether the ini was found and what each of its lines did, and
// every value in force.
void LogStartUp(ModuleState& m, bool have_ini, std::uint32_t now) noexcept;

// "timer", "key", "pad": a trigger and the fight it started, or why none.
void LogFightStart(ModuleState& m, std::uint32_t now, const char* trigger,
                   const FightStartReport& report) noexcept;

// A trigger or toggle released and let go: `why` ("another program has the
// foreground", "Ctrl was up", "the triggers are off", ...).
void LogIgnored(ModuleState& m, std::uint32_t now, const char* what, const char* why) noexcept;

// The toggle switched the triggers on or off.
void LogToggle(ModuleState& m, std::uint32_t now) noexcept;

// One side stood and `let_go` fighters were let go.
void LogFightOver(ModuleState& m, std::uint32_t now, int let_go) noexcept;

}  // namespace ruckvale
