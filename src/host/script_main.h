// The script's entry and its per-frame main loop with the two fight triggers.
#pragma once

#include <cstdint>

#include "host/types.h"

namespace ruckvale {

// The state of the main loop, from load to unload.
struct MainLoopState {
  // 1 where that virtual key was down at the last poll.
  std::uint8_t KeyLatch[256] = {};
  // The tick of the pass on which the timer trigger last rolled.
  std::uint32_t LastRollTick = 0;
  // Until the first roll the elapsed time is the tick count itself.
  bool HasRolled = false;
};
MainLoopState& MainLoop();

// Registered with the hook, which calls it on its script fiber: loads the
// settings, builds the catalogue, seeds the generator, reads the player's ped,
// then runs one pass per frame for ever. Nothing is thrown out of it.
void ScriptMain();

// One pass of the main loop without the final scriptWait(0): the reset-flag
// gate, the timer and key triggers, supervision. Nothing is thrown out of it:
// a pass that runs out of memory is abandoned and the next one starts afresh.
void RunPass(Ped player) noexcept;

// The timer period in milliseconds: fight_timer * 1000, clamped to the signed
// 32-bit range instead of wrapping.
std::int32_t TimerPeriodMs(std::int32_t fight_timer);

}  // namespace ruckvale
