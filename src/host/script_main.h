// The script's entry and its per-frame main loop with the two fight triggers.
#pragma once

#include <cstdint>

#include "host/types.h"

namespace ruckvale {

// The player's reset flag that closes the gate: while the game sets it, a
// pass does nothing but yield.
inline constexpr int kResetFlagGate = 187;

// Registered with the hook, which calls it on its script fiber: loads the
// settings, builds the catalogue, seeds the generator, reads the player's ped,
// then runs one pass per frame for ever. Nothing is thrown out of it.
void ScriptMain();

// One pass of the main loop without the final scriptWait(0): the reset-flag
// gate, the timer and key triggers, supervision. Nothing is thrown out of it:
// a pass that runs out of memory is abandoned and the next one starts afresh.
void RunPass(Ped player) noexcept;

// One turn of the script's loop before it yields: RunPass, then the probe's
// due test and a waiting notice's try, each one load when off or idle.
void RunLoopPass(Ped player) noexcept;

}  // namespace ruckvale
