// Reads one pass of the simulated game's record: what the module did, told
// by the calls it made and the answers the game gave, and by the world right
// after the pass. It knows of the module's rules only what the module's own
// headers export (the timer rule, the radius test); it never guesses from
// the order of calls what a call was for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/notice.h"
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

// Why the module let a release of the key, the pad combination or the toggle
// key go.
enum class Ignored : std::uint8_t {
  None,          // not let go (or no release)
  Off,           // the triggers are switched off
  ModifierUp,    // the binding's modifier was up
  OtherBinding,  // by the modifiers held, the release is the other binding's on that key
  Background,    // another program has the foreground
  Keyboard,      // the pad combination with the keyboard and mouse in use
  KeyFight,      // the pad combination in a pass whose key release started a fight
  SitOut,        // released while the reset flag kept the module out
};

// A notice the pass posted (the game's id, 0: refused), or one the module
// dropped: not shown within 10 s of its queueing.
struct NoticeEvent {
  bool dropped = false;
  std::string text;     // posted: as handed to VAR_STRING; dropped: "start", "off", "on", "reload"
  std::int32_t id = 0;  // posted: the game's answer
  NoticeHold held = NoticeHold::None;  // dropped: what held it back at its last try
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
  bool fight_over = false;  // one side stood and was let go: no fight runs
  Ignored key_ignored = Ignored::None;
  Ignored pad_ignored = Ignored::None;
  Ignored toggle_ignored = Ignored::None;
  std::optional<bool> toggled;  // toggle_key switched the triggers: on (true) or off
  Ignored reload_ignored = Ignored::None;
  bool reloaded = false;  // reload_key read Ruckvale.ini again
  // The settings the reload changed, as ChangedSettings tells them; set by
  // the run, which knows what the ini holds.
  std::string reload_changes;
  // A key the module asked Windows about that is none of the keys the run
  // read from the ini: the module read Ruckvale.ini otherwise than the run.
  std::optional<std::int32_t> strange_key;
  std::optional<NoticeEvent> notice;  // with notify=true
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

  // After a pass that reloaded: the settings the module read. The switch and
  // the running fight go on; a key that changed starts as up.
  void Reload(const FightSettings& settings);

  // The fighters of the running fight, as the passes so far tell it.
  const std::vector<Ped>& roster() const { return roster_; }

 private:
  // Where the parts of a pass begin: the clock, then the timer, the trigger
  // key's poll, the pad's first native, the toggle key's and the reload
  // key's poll (each calls.size() when absent).
  struct Marks {
    std::size_t tick, key, pad, toggle, reload;
  };
  Marks MarksOf(const std::vector<sim::Call>& calls, std::size_t gate) const;
  void DecodeRoll(std::uint32_t now, bool hit_seen, PassEvents& events);
  void DecodeKey(const std::vector<sim::Call>& calls, std::size_t key, bool on, PassEvents& events);
  void DecodePad(const std::vector<sim::Call>& calls, const Marks& marks, bool on, bool key_started,
                 std::size_t end, PassEvents& events) const;
  void DecodeToggle(const std::vector<sim::Call>& calls, std::size_t poll, PassEvents& events);
  void DecodeReload(const std::vector<sim::Call>& calls, std::size_t poll, PassEvents& events);
  void DecodeStarts(double time, const std::vector<sim::Call>& calls, const Marks& marks,
                    const std::vector<std::size_t>& starts, const sim::Game& game,
                    PassEvents& events);
  // The first key polled that is none of the ini's keys, if any.
  std::optional<std::int32_t> StrangeKey(const std::vector<sim::Call>& calls,
                                         std::size_t from) const;
  void DecodeLeaves(const std::vector<sim::Call>& calls, std::size_t from, PassEvents& events);
  // With notify=true a notice waits from its queueing (`what`: "start", "off",
  // "on", "reload") until a pass posts it, or until 10 s have passed: then it is dropped.
  void QueueNotice(const char* what, std::uint32_t now);
  void DecodeNotice(const std::vector<sim::Call>& calls, std::uint32_t now, PassEvents& events);

  FightSettings settings_;
  bool rolled_ = false;  // the timer has rolled since the start
  std::uint32_t last_roll_ = 0;
  bool enabled_ = true;  // the triggers, as start_enabled and the toggles so far tell it
  // Each key as its last poll found it: a poll finding it up after down is a
  // release, whether or not the module weighs it.
  bool key_down_ = false;
  bool toggle_down_ = false;
  bool reload_down_ = false;
  bool sat_out_ = false;  // the pass before was gated by the reset flag
  std::vector<Ped> roster_;
  const char* notice_ = nullptr;  // the notice waiting, if any
  std::uint32_t notice_since_ = 0;
  // The last open pass's tick, and whether it posted a notice: a reload's
  // notice is queued in its pass with notify as the new settings have it.
  std::uint32_t pass_tick_ = 0;
  bool pass_posted_ = false;
  NoticeHold notice_held_ = NoticeHold::None;
};

}  // namespace ruckvale::tools
