// Keeps a fight going: idle fighters are sent back into it, gone ones leave.
#pragma once

#include <cstdint>

namespace ruckvale {

// Re-tasks every fighter that exists, is alive and is out of combat against a
// random other fighter, at most once per 2000 ms per fighter.
void SuperviseFighters(std::uint32_t now);

// Drops, in one stable sweep, the fighters that no longer exist or are dead or
// dying, and releases each dead or dying one to the engine as it drops it.
void PruneRoster();

}  // namespace ruckvale
