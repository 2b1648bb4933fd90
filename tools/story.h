// Writes the story of a simulated run: each pass's events, as the frame
// loop's pass decoder reads them, and the scene's own events become one line
// each (or one JSON object), and a summary at the end. It only formats and
// counts; it decodes nothing and hands nothing on.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "settings/fight_settings.h"
#include "sim/game.h"
#include "sim/scene.h"
#include "tools/fight_start.h"
#include "tools/pass_decoder.h"

namespace ruckvale::tools {

// What the summary counts.
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
  int fights_ended = 0, pad_fights = 0, toggles = 0;
  int nobody_fights = 0;  // fight_group_size 0: fights of nobody
};

class Story {
 public:
  Story(std::ostream& out, bool json, bool quiet, const FightSettings& settings);

  // A scene event; `fighters` the running fight's, as the decoder knows them.
  void OnSceneEvent(double time, const sim::SceneEvent& event, const sim::World& world,
                    const std::vector<Ped>& fighters);
  // The events of one pass, and the game right after it.
  void OnPass(double time, const PassEvents& events, const sim::Game& game);
  // The game's window lost (false) or regained (true) the foreground.
  void OnForeground(double time, bool in_foreground);
  void PrintSummary(double seconds);

  const StoryCounts& counts() const { return counts_; }

 private:
  void Emit(double time, const std::string& text, const std::string& json);
  void WriteGate(double time, bool gated);
  void WriteRoll(double time, bool hit);
  // `fight_ran`: a fight was running when this one was triggered.
  void WriteFightStart(const FightStart& fight, bool fight_ran);
  void WriteFighters(const FightStart& fight);
  void WriteLeaves(double time, const PassEvents& events);
  void WriteToggles(double time, const PassEvents& events);
  void WriteSummaryJson(double seconds);
  void WriteFaultSummary();

  std::ostream& out_;
  bool json_;
  bool quiet_;
  FightSettings settings_;
  // The gate's stretch in progress.
  bool gated_ = false;
  double gated_since_ = 0;
  int gated_passes_ = 0;
  StoryCounts counts_;
};

}  // namespace ruckvale::tools
