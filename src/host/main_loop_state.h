// What the main loop carries from pass to pass.
#pragma once

#include <cstdint>

#include "host/types.h"

namespace ruckvale {

struct MainLoopState {
  // 1 where that virtual key was down at the last poll.
  std::uint8_t key_latch[256] = {};
  // The tick of the pass on which the timer trigger last rolled.
  std::uint32_t last_roll_tick = 0;
  // Until the first roll the elapsed time is the tick count itself.
  bool has_rolled = false;
  // The triggers are on; toggle_key switches them.
  bool enabled = true;
  // pad_trigger, toggle_key or reload_key is set: the pass asks for them
  // (one test for all keeps a pass without them as cheap as before).
  bool more_inputs = false;
  // toggle_key, reload_key was down at the last poll.
  bool toggle_latch = false;
  bool reload_latch = false;
  // The game's reset flag gated the last pass: Ruckvale sits out.
  bool sitting_out = false;
  // The tick of the last pass that was not gated (or of the start), which
  // dates the start of a sit-out.
  std::uint32_t last_now = 0;
  // The hashes of pad_trigger's two controls, asked at start; 0: none.
  Hash pad_hold = 0;
  Hash pad_press = 0;
};

// The timer period in milliseconds: fight_timer * 1000, clamped to the signed
// 32-bit range instead of wrapping.
std::int32_t TimerPeriodMs(std::int32_t fight_timer);

// True when a pass at `now` rolls the timer. Before the first roll the elapsed
// time is the tick count itself, so a system up for more than 24.8 days still
// rolls at once; after it, the tick difference is read as signed 32 bits.
bool TimerRollDue(const MainLoopState& loop, std::uint32_t now, std::int32_t fight_timer);

}  // namespace ruckvale
