// The summary of a simulated run: counts kept from the run's record and from
// what the game made of the module's calls, and the summary written from
// them at the end, as text or as one JSON object.
#pragma once

#include <cstddef>
#include <ostream>
#include <vector>

#include "settings/fight_settings.h"
#include "sim/game.h"
#include "tools/story_record.h"

namespace ruckvale::tools {

struct StoryCounts {
  int rolls = 0, roll_hits = 0, key_fights = 0, timer_fights = 0, empty_fights = 0;
  int retasks = 0, deaths = 0, fighter_deaths = 0, pruned = 0, gated_stretches = 0;
  int weapon_seen[9] = {};  // per category, then unarmed
  // Fighters per fight start that found enough peds.
  std::size_t fighters_total = 0, fighters_min = 0, fighters_max = 0;
  int with_fighters = 0;
  // Peds the module made persistent and has not released, after each pass.
  int kept_now = 0, kept_peak = 0, released = 0;
  // What the game made of the module's calls.
  int fled = 0, story_taken = 0, off_hand = 0, corpses = 0, cold_fights = 0, ignored_keys = 0;
  int own_side = 0, let_go_blind = 0, held_drawn = 0, mount_drawn = 0, melee_at_range = 0;
  int fights_ended = 0, pad_fights = 0, toggles = 0, reloads = 0;
  int nobody_fights = 0;           // fight_group_size 0: fights of nobody
  int ignored_off = 0;             // key and pad releases while the triggers were off
  int lawmen_drawn = 0;            // fighters whose default group is the law's
  std::vector<Ped> lawmen_joined;  // lawmen that stepped into a fight, each once
  // Notices (notify=true): shown, refused by the game (id 0), dropped after 10 s.
  int notices_shown = 0, notices_refused = 0, notices_dropped = 0;
};

// Counts one entry of the record.
void CountEntry(StoryCounts& counts, const StoryEntry& entry);
// Counts what a pass handed back (`released` peds) and the game's own
// tallies right after it.
void CountPass(StoryCounts& counts, int released, const sim::Game& game);

// The summary after `seconds` of run, with the weapons seen against the odds
// of `settings`. Text starts with a blank line unless `quiet` (nothing came
// before it).
void WriteSummary(std::ostream& out, const StoryCounts& counts, const FightSettings& settings,
                  double seconds, bool json, bool quiet);

}  // namespace ruckvale::tools
