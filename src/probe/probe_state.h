// What the probe keeps while it reads back how the game carried out a fight:
// the fight's fighters as they were given out, the peds let go and awaiting
// their last look, and the counts the verdict block sums up. Fixed size and
// constant-initialised: the probe allocates nothing.
#pragma once

#include <cstdint>

#include "host/types.h"

namespace ruckvale {

inline constexpr int kProbeFighters = 32;
inline constexpr int kProbeLetGo = 32;
// How far ahead an idle probe sets its due tick: as far as a signed 32-bit
// tick difference reaches (24.8 days), where it finds nothing and looks again.
inline constexpr std::uint32_t kProbeIdleMs = 0x7FFFFFFFu;
// The samples after a fight's start, and the last look after a let-go.
inline constexpr std::uint32_t kProbeSampleMs[2] = {1000, 5000};
inline constexpr std::uint32_t kProbeLastLookMs = 5000;
// A blade or fist this close to a living opponent has closed in.
inline constexpr float kProbeCloseMetres = 3.0f;

struct ProbeFighter {
  Ped ped = 0;
  std::uint8_t group = 1;
  std::int8_t category = -1;  // the weapon category drawn; -1: unarmed
  Hash weapon = 0;            // the weapon given; 0: none
};

// The counts of one sample, and their sums over all samples at one moment.
struct SampleCounts {
  int fighters = 0;  // alive and there
  int in_combat = 0, fleeing = 0, own_side = 0;
  int idle = 0;                // neither in combat nor fleeing
  int armed = 0, holding = 0;  // given a weapon; holding it in the primary hand
  int blades = 0, close = 0;   // blades and fists; within 3 m of a living opponent
  int in_group = 0, riding = 0;
  int down = 0, gone = 0;  // dead or dying; no longer there

  SampleCounts& operator+=(const SampleCounts& o) {
    fighters += o.fighters;
    in_combat += o.in_combat;
    fleeing += o.fleeing;
    own_side += o.own_side;
    idle += o.idle;
    armed += o.armed;
    holding += o.holding;
    blades += o.blades;
    close += o.close;
    in_group += o.in_group;
    riding += o.riding;
    down += o.down;
    gone += o.gone;
    return *this;
  }
};

// What one look at let-go peds found.
struct LookCounts {
  int peds = 0, there = 0, mission = 0, default_group = 0, in_combat = 0, fleeing = 0;

  LookCounts& operator+=(const LookCounts& o) {
    peds += o.peds;
    there += o.there;
    mission += o.mission;
    default_group += o.default_group;
    in_combat += o.in_combat;
    fleeing += o.fleeing;
    return *this;
  }
};

struct ProbeLetGo {
  Ped ped = 0;
  std::uint32_t due = 0;
  bool winner = false;  // let go at its fight's end, not as a replaced fight's leaver
};

// The verdict's counts since the script started.
struct ProbeTally {
  int fights = 0, listed = 0, slots8 = 0, slots4 = 0;
  SampleCounts at[2];
  LookCounts at_end, after;
  int winners_after = 0, winners_in_combat = 0;  // of `after`: the winners, and those in combat
  int drawn_again = 0;     // let-go peds drawn into a new fight before their last look
  int samples_missed = 0;  // 5 s samples of fights over or replaced before
  int looks_lost = 0;      // let-go peds never looked at again (no room, a restart)
  int stretches = 0;
  std::uint32_t stretch_ms = 0;
  int stretch_minutes = 0;
};

struct ProbeState {
  // The tick at which the probe has something to do, at most kProbeIdleMs
  // ahead. While the probe is on, the script's loop compares it with the
  // pass's tick as a signed 32-bit difference, so the tick count may wrap.
  std::uint32_t due = 0;
  bool on = false;
  bool fight_open = false;  // a fight started and neither over nor replaced
  // The current fight: its fighters, its start, the next sample (2: none).
  ProbeFighter fighters[kProbeFighters] = {};
  int fighter_count = 0;
  std::uint32_t start = 0;
  std::uint8_t next_sample = 2;
  Hash group_hashes[2] = {};  // the brawl groups of sides 1 and 2
  ProbeLetGo let_go[kProbeLetGo] = {};
  int let_go_count = 0;
  ProbeTally tally;
  // The minute (since the log began) of the gate's stretches not yet told.
  std::uint32_t gate_minute = 0;
  int gate_stretches = 0;
  std::uint32_t gate_ms = 0;
  // pad_trigger: the first tick each control reported pressed, and the first
  // the pad was in use (0: not yet); watched while any is 0.
  std::int8_t pad_index[2] = {-1, -1};  // into kPadControls: the held control, the released one
  std::uint32_t pad_first[3] = {};
  bool pad_watch = false;
};

}  // namespace ruckvale
