// One fight start as the game saw it: whom the game listed and what became of
// each, who fought with what, and the tasks of the start. The pass decoder
// fills it; the story and the map read it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fight/weapons.h"
#include "host/types.h"

namespace ruckvale::tools {

// Why a ped the game listed did not become a candidate.
enum class LeftOut : std::uint8_t {
  None,  // a candidate
  NotExisting,
  Player,
  NotHuman,
  TooFar,
  Dead,
  OtherScript,  // kept by another script: a story mission's, a companion
  Repeated,
  PlayersMount,  // the horse the player rides
  Riding,
  InVehicle,
  Hogtied,
  Lassoed,
  Law,  // a lawman, with lawmen_fight=false or law_steps_in=true
};
const char* LeftOutText(LeftOut reason);

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
  // Held where it stands when it was drawn: Riding, InVehicle, Hogtied,
  // Lassoed or PlayersMount; None: free to fight.
  LeftOut held = LeftOut::None;
  bool melee_at_range = false;  // a blade or fists, its combat range not near (0)
  bool lawman = false;          // its default group is the law's
};

struct ListedPed {
  Ped ped = 0;
  Vector3 pos{};
  bool human = true;
  bool exists = true;
  LeftOut reason = LeftOut::None;
  bool measured = false;  // the module read its position
};

struct FightStart {
  double time = 0;
  bool by_timer = false;
  bool by_pad = false;  // pad_trigger (else the key, when not the timer)
  // fight_group_size 0 and the count sufficed: the module starts a fight of
  // nobody, which replaces (and lets go) the running one.
  bool empty_fight = false;
  std::vector<FighterInfo> fighters;  // empty: too few peds qualified
  std::vector<ListedPed> listed;      // what the game listed, with the verdict on each
  // The module tested the listed peds; false when the game listed fewer than
  // the fight needs, and no ped was looked at.
  bool filtered = false;
  std::vector<std::pair<Ped, Ped>> tasks;
  Vector3 player_pos{};
  std::vector<ListedPed> unlisted;  // peds of the world the game did not list
  bool groups_hate = true;          // the two groups hate each other (level 6)
};

}  // namespace ruckvale::tools
