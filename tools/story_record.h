// The record of a simulated run: what the scene did, what the module did in
// each pass (as the frame loop's pass decoder reads it) and the game's window
// changes, as one list of entries per frame. The text story, the JSON, the
// summary's counts and the map each read the same entries; none of them
// looks at the calls, the world or another consumer.
#pragma once

#include <string>
#include <vector>

#include "sim/game.h"
#include "sim/scene.h"
#include "tools/fight_start.h"
#include "tools/pass_decoder.h"

namespace ruckvale::tools {

struct StoryEntry {
  enum Kind : std::uint8_t {
    Death,          // ped, by (other), weapon (word), a fighter (flag)
    Vanished,       // ped
    WalkedIn,       // ped, distance (number)
    DroppedOut,     // fighter ped
    Fled,           // fighter ped
    Foreground,     // the game's window has it (flag) or lost it
    GateClosed,     // reset flag set
    GateOpen,       // passes skipped (count), after seconds (number)
    Roll,           // hit (flag)
    KeyIgnored,     // a release of key_trigger the module let go, why (ignored)
    PadIgnored,     // a release of pad_trigger the module let go, why (ignored)
    ToggleIgnored,  // a release of toggle_key the module let go, why (ignored)
    Toggle,         // on (flag)
    ReloadIgnored,  // a release of reload_key the module let go, why (ignored)
    Reload,     // reload_key read the ini again (word: the settings it changed); a fight ran (flag)
    Fight,      // a fight start (fight); a fight ran before it (flag)
    Retask,     // ped, target (other)
    Left,       // ped left the roster, why (leave)
    FightOver,  // one side stood
    Probe,      // a line the probe wrote to Ruckvale.log (word: its text)
    Notice,     // a notice posted (word: its text), the game's id (count; 0: refused)
    NoticeDropped,  // a notice not shown within 10 s (word: "start", "off", "on", "reload"), why
                    // (held)
    LawJoined,      // lawman ped goes for fighter (other)
  };
  Kind kind = Death;
  double time = 0;
  Ped ped = 0;
  Ped other = 0;
  bool flag = false;
  int count = 0;
  double number = 0;
  const char* word = "";  // for Probe, valid until the next frame's entries
  LeaveEvent::Why leave = LeaveEvent::Dead;
  Ignored ignored = Ignored::None;
  NoticeHold held = NoticeHold::None;
  const FightStart* fight = nullptr;  // valid until the next frame's entries
};

// Turns what happened into entries. It keeps only what a single event does
// not tell: the stretch the reset flag has closed so far.
class StoryRecorder {
 public:
  // A scene event; `fighters` the running fight's, as the decoder knows them.
  void OnSceneEvent(double time, const sim::SceneEvent& event, const sim::World& world,
                    const std::vector<Ped>& fighters, std::vector<StoryEntry>& out) const;
  // The game's window lost (false) or regained (true) the foreground.
  static void OnForeground(double time, bool in_foreground, std::vector<StoryEntry>& out);
  // The probe's lines the module wrote in a pass; `lines` must outlive the
  // entries.
  static void OnProbeLines(double time, const std::vector<std::string>& lines,
                           std::vector<StoryEntry>& out);
  // The events of one pass; `events` must outlive the entries.
  void OnPass(double time, const PassEvents& events, std::vector<StoryEntry>& out);

 private:
  void Gate(double time, bool gated, std::vector<StoryEntry>& out);
  bool gated_ = false;
  double gated_since_ = 0;
  int gated_passes_ = 0;
};

}  // namespace ruckvale::tools
