// Keeps a fight going: idle fighters are sent back into it, gone ones leave.
#pragma once

#include <cstdint>

#include "fight/fight_state.h"

namespace ruckvale {

// Re-tasks every fighter that exists, is alive and is out of combat against a
// random living fighter of the other side, at most once per 2000 ms per
// fighter.
void SuperviseFighters(FightState& fight, std::uint32_t& random, std::uint32_t now);

// Drops, in one stable sweep, the fighters that no longer exist or are dead or
// dying, and releases each dead or dying one to the engine as it drops it.
// When the fighters left all stand on one side, the fight is over: each is let
// go, and the roster and the re-task times are emptied. Returns the number let
// go so (0: the fight goes on, or there was none).
int PruneRoster(FightState& fight);

}  // namespace ruckvale
