// Reads one pass of the simulated game's record: what the module did, told
// by the calls it made and the answers the game gave, and by the world right
// after the pass. It knows of the module's rules only what the module's own
// headers export (the timer rule, the radius test); it never guesses from
// the order of calls what a call was for.
#pragma once

#include <optional>
#include <vector>

#include "settings/fight_settings.h"
#include "sim/game.h"
#include "tools/fight_start.h"

namespace ruckvale::tools {

struct RetaskEvent {
  Ped ped = 0;
  Ped target = 0;
};

// A fighter leaves the roster: it is gone from the world, it died and the
// module released it, or its side won and the module let it go.
struct LeaveEvent {
  enum Why : std::uint8_t { Gone, Dead, Won };
  Ped ped = 0;
  Why why = Dead;
};

struct PassEvents {
  bool fight_was_running = false;  // a fight ran when the pass began
  bool start_up = false;           // the script started or started again in this pass
  bool gated = false;              // the reset flag closed the gate: nothing else happened
  std::optional<bool> roll;        // the timer rolled: hit or miss
  std::vector<FightStart> starts;
  std::vector<RetaskEvent> retasks;
  int released = 0;  // peds handed back to the engine
  std::vector<LeaveEvent> leaves;
  bool fight_over = false;       // one side stood and was let go: no fight runs
  bool key_ignored = false;      // a release with another program in the foreground
  bool key_modifier_up = false;  // a release of key_trigger without its modifier
  std::optional<bool> toggled;   // toggle_key switched the triggers: on (true) or off
  bool toggle_ignored = false;   // a toggle release the module let go
  bool pad_ignored = false;      // the pad combination with the keyboard in use
  // A key the module asked Windows about that is none of the keys the run
  // read from the ini: the module read Ruckvale.ini otherwise than the run.
  std::optional<std::int32_t> strange_key;
};

// The decoder's own statement of the module's rules, so that it catches a
// fault in the module's rather than repeating it.
// A timer roll is due when the time since the last roll (before the first:
// the tick count itself), read as a signed 32-bit difference, reaches
// fight_timer seconds, clamped to the 32-bit range.
bool RollDue(bool rolled_before, std::uint32_t last_roll, std::uint32_t now,
             std::int32_t fight_timer);
// A ped is in reach when its three-dimensional distance from the player, in
// 32-bit floats, is not greater than the radius (a NaN radius lets all in).
bool InReach(const Vector3& player, const Vector3& ped, float radius);

class PassDecoder {
 public:
  explicit PassDecoder(const FightSettings& settings)
      : settings_(settings), enabled_(settings.start_enabled) {}

  // Decodes the calls of one frame (up to its scriptWait) against the game
  // right after it. `time` stamps the fight starts.
  PassEvents Decode(double time, const std::vector<sim::Call>& calls, const sim::Game& game);

  // The fighters of the running fight, as the passes so far tell it.
  const std::vector<Ped>& roster() const { return roster_; }

 private:
  void DecodeRoll(std::uint32_t now, bool hit_seen, PassEvents& events);
  // The toggle key's poll and what came of it.
  void DecodeToggle(const std::vector<sim::Call>& calls, std::size_t from, PassEvents& events);
  // The trigger key's poll; returns its index.
  std::size_t DecodeKey(const std::vector<sim::Call>& calls, std::size_t from,
                        PassEvents& events) const;
  // The first key polled that is none of the ini's keys, if any.
  std::optional<std::int32_t> StrangeKey(const std::vector<sim::Call>& calls,
                                         std::size_t from) const;
  void DecodeLeaves(const std::vector<sim::Call>& calls, std::size_t from, PassEvents& events);

  FightSettings settings_;
  bool rolled_ = false;  // the timer has rolled since the start
  std::uint32_t last_roll_ = 0;
  bool enabled_ = true;  // the triggers, as the toggles so far tell it
  std::vector<Ped> roster_;
};

}  // namespace ruckvale::tools
