// What each trigger last told the log, so that the same outcome again and
// again (a timer that rolls every frame among too few peds) is counted, not
// written again: one line tells how often it came when the outcome changes.
#pragma once

#include <cstdint>

#include "fight/start_fight.h"

namespace ruckvale {

// The sources of the log's trigger lines, in the order a pass asks them.
enum class Trigger : std::uint8_t { Timer, Key, Pad, Toggle, Reload };
inline constexpr int kTriggerCount = 5;

// The name the log gives each trigger: the ini key that sets it.
inline constexpr const char* kTriggerNames[kTriggerCount] = {"timer", "key_trigger", "pad_trigger",
                                                             "toggle_key", "reload_key"};

// One trigger's last outcome that may repeat: no fight, or a release
// ignored for one reason. A fight or a toggle is never a repeat.
struct LoggedOutcome {
  enum class Kind : std::uint8_t { None, NoFight, Ignored };
  Kind kind = Kind::None;
  const char* why = nullptr;  // Ignored: the reason's words
  int listed = 0;             // NoFight: the report's counts
  bool tested = false;
  int candidates = 0;
  int left_out[kLeftOutByCount] = {};
};

// Repeats are told at the latest this long after the first of them, so a log
// that ends with the game still tells roughly how often it came.
inline constexpr std::uint32_t kRepeatsToldAfterMs = 60000;

struct TriggerRepeats {
  LoggedOutcome last;
  int repeats = 0;               // times it came again since it was written
  std::uint32_t first_tick = 0;  // the tick of the first of them
  std::uint32_t last_tick = 0;   // the tick of the latest of them
};

// True when `a` and `b` would be told in the same words.
bool SameOutcome(const LoggedOutcome& a, const LoggedOutcome& b) noexcept;

}  // namespace ruckvale
