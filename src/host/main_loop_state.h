// What the main loop carries from pass to pass.
#pragma once

#include <cstdint>

namespace ruckvale {

struct MainLoopState {
  // 1 where that virtual key was down at the last poll.
  std::uint8_t key_latch[256] = {};
  // The tick of the pass on which the timer trigger last rolled.
  std::uint32_t last_roll_tick = 0;
  // Until the first roll the elapsed time is the tick count itself.
  bool has_rolled = false;
};

// The timer period in milliseconds: fight_timer * 1000, clamped to the signed
// 32-bit range instead of wrapping.
std::int32_t TimerPeriodMs(std::int32_t fight_timer);

// True when a pass at `now` rolls the timer. Before the first roll the elapsed
// time is the tick count itself, so a system up for more than 24.8 days still
// rolls at once; after it, the tick difference is read as signed 32 bits.
bool TimerRollDue(const MainLoopState& loop, std::uint32_t now, std::int32_t fight_timer);

}  // namespace ruckvale
