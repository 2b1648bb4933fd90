// Tells the story of a simulated run from what crossed the module's boundary:
// each pass's recorded calls and the scene's own events become one line per
// event (or one JSON object), and a summary at the end.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "fight/weapons.h"
#include "settings/fight_settings.h"
#include "sim/game.h"
#include "sim/scene.h"

namespace ruckvale::tools {

// Why a ped the game listed did not become a candidate.
enum class LeftOut : std::uint8_t { None, NotExisting, Player, NotHuman, TooFar, Repeated };
const char* LeftOutText(LeftOut reason);

// `s` as a JSON string, quotes included.
std::string JsonString(const std::string& s);

struct FighterInfo {
  Ped ped = 0;
  int group = 0;            // 1 or 2
  Hash weapon = 0;          // 0: unarmed
  std::string weapon_name;  // as the game names it
  std::optional<WeaponCategory> category;
  std::int32_t ammo = 0;
  std::string line;  // the insult
  // What the game made of it.
  bool off_hand = false;    // a firearm or bow in the off hand, which does not shoot
  bool from_story = false;  // taken from another script (a story mission, a companion)
  bool corpse = false;      // dead when it was drawn
};

struct ListedPed {
  Ped ped = 0;
  Vector3 pos{};
  bool human = true;
  bool exists = true;
  LeftOut reason = LeftOut::None;  // None: candidate
};

// One fight start that reached the game, as the calls tell it.
struct FightStart {
  double time = 0;
  bool by_timer = false;
  std::vector<FighterInfo> fighters;  // empty: too few peds qualified
  std::vector<ListedPed> listed;      // what the game listed, with the verdict on each
  std::vector<std::pair<Ped, Ped>> tasks;
  Vector3 player_pos{};
  std::vector<ListedPed> unlisted;  // peds of the world the game did not list
  bool groups_hate = true;          // the two groups hate each other (level 6)
};

class Story {
 public:
  Story(std::ostream& out, bool json, bool quiet, const FightSettings& settings);

  // Receives each fight start as it is read (for the map); the story keeps
  // none of them, only the counts of its summary.
  std::function<void(const FightStart&)> on_fight_start;

  void OnSceneEvent(double time, const sim::SceneEvent& event, const sim::World& world);
  // The calls of one pass, in order, and the world right after it.
  void OnPass(double time, const std::vector<sim::Call>& calls, std::size_t begin,
              const sim::Game& game);
  // The game's window lost (false) or regained (true) the foreground.
  void OnForeground(double time, bool in_foreground);
  void PrintSummary(double seconds);

 private:
  void Emit(double time, const std::string& text, const std::string& json);
  void ReadFightStart(double time, bool by_timer, const std::vector<sim::Call>& calls,
                      std::size_t begin, std::size_t end, const sim::Game& game);
  void JudgeFighters(FightStart& fight, const sim::World& world);
  void PrintFaultSummary();

  std::ostream& out_;
  bool json_;
  bool quiet_;
  FightSettings settings_;
  // Mirror of the module's timer, to tell rolls that missed.
  bool has_rolled_ = false;
  std::uint32_t last_roll_ = 0;
  // Gate.
  bool gated_ = false;
  double gated_since_ = 0;
  int gated_passes_ = 0;
  // The fighters of the running fight, as the story knows them.
  std::vector<Ped> roster_;
  // Fighters per fight start that found enough peds.
  std::size_t fighters_total_ = 0, fighters_min_ = 0, fighters_max_ = 0;
  int with_fighters_ = 0;
  // Counts for the summary.
  int rolls_ = 0, roll_hits_ = 0, key_fights_ = 0, timer_fights_ = 0, empty_fights_ = 0;
  int retasks_ = 0, deaths_ = 0, fighter_deaths_ = 0, pruned_ = 0, gated_stretches_ = 0;
  int weapon_seen_[9] = {};
  // Peds the module made persistent and has not released, after each pass.
  int kept_now_ = 0, kept_peak_ = 0, released_ = 0;
  // What the game made of the module's calls.
  int fled_ = 0, off_hand_ = 0, corpses_ = 0, cold_fights_ = 0, ignored_keys_ = 0;
  int story_taken_ = 0;
};

}  // namespace ruckvale::tools
