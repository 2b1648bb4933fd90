// A notice: one line of help text the game shows for about three seconds,
// at start, at each toggle and after a reload, with notify=true. It is
// posted once, as the game's own scripts post help text, and only while the
// game's help guard would allow it; one that cannot be shown within 10 s is
// dropped, and a newer one replaces one still waiting. Fixed-size state;
// nothing here allocates but the start text, and nothing throws out.
#pragma once

#include <cstdint>

namespace ruckvale {

struct ModuleState;

enum class NoticeKind : std::uint8_t { Start, Off, On, Reloaded };

// What held a waiting notice back at its last try, in the guard's order.
enum class NoticeHold : std::uint8_t {
  None,         // not tried yet
  HelpCurrent,  // a help message is current, shown or about to be
  HelpHidden,   // the HUD's help slot is hidden
  NotFadedIn,   // the screen is not faded in (a cutscene, a load)
  PauseMenu,    // the pause menu is open
  HudHidden,    // the HUD is hidden
  SatOut,       // the game's reset flag kept Ruckvale out
};

inline constexpr std::uint32_t kNoticeShowMs = 3000;
inline constexpr std::int32_t kNoticeWaitMs = 10000;
// The game's scripts reserve 13 slots in the first block and 2 in the
// second; the game reads no further than they reserve, and each block here
// is larger still, every slot not written zero.
inline constexpr int kHelpBlockASlots = 16;
inline constexpr int kHelpBlockBSlots = 4;
inline constexpr int kNoticeTextBytes = 96;

struct NoticeState {
  bool pending = false;  // a notice waits: the one thing the loop tests per pass
  NoticeHold held = NoticeHold::None;
  std::uint32_t queued = 0;    // the tick it was queued at
  const char* text = nullptr;  // a literal or start_text: lives as long as the module
  char start_text[kNoticeTextBytes] = {};
  // The blocks of the last post, kept here so that they outlive it too.
  std::uint64_t block_a[kHelpBlockASlots] = {};
  std::uint64_t block_b[kHelpBlockBSlots] = {};
};

// Queues a notice of `kind` at `now`, replacing one still waiting. Does
// nothing unless the ini set notify. The start text names the version and
// the keys in force.
void QueueNotice(ModuleState& m, NoticeKind kind, std::uint32_t now) noexcept;

// Tries the waiting notice in the pass that just ran (its tick is
// main_loop.last_now): drops it after 10 s, else asks the guard and posts it
// when the guard allows. A pass the game's reset flag gated tries nothing
// (Ruckvale sits those out; the guard's fade test covers cutscenes), but the
// 10 s run on. Call only when notice.pending is set:
//   if (m.notice.pending) StepNotice(m);
void StepNotice(ModuleState& m) noexcept;

// The guard's reason as the log words it.
const char* NoticeHoldText(NoticeHold hold);

}  // namespace ruckvale
