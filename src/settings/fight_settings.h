// The fourteen tuning values of the module, each named after its key in
// Ruckvale.ini. Defaults hold from load; LoadSettings overwrites what the file
// names; nothing else writes them.
#pragma once

#include <cstdint>

namespace ruckvale {

// F12, the trigger key unless the ini names another.
inline constexpr std::int32_t kDefaultKeyTrigger = 123;

struct FightSettings {
  std::int32_t fight_timer = 60;   // seconds between two rolls of the timer trigger
  std::int32_t fight_chance = 25;  // percent chance that a roll starts a fight
  float fight_radius = 50.0f;      // greatest distance from the player to a fighter
  std::int32_t fight_group_size = 2;
  bool humans_only = true;
  std::int32_t melee_chance = 50;
  std::int32_t revolver_chance = 5;
  std::int32_t pistol_chance = 5;
  std::int32_t shotgun_chance = 3;
  std::int32_t rifle_chance = 2;
  std::int32_t repeater_chance = 5;
  std::int32_t throwables_chance = 10;
  std::int32_t bow_chance = 10;
  std::int32_t key_trigger = kDefaultKeyTrigger;  // Windows virtual-key code, always 0 to 255
};

}  // namespace ruckvale
