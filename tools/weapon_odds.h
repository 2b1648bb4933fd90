// The weapon odds of one fighter under a set of settings, and the names of
// the categories as the tools print them.
#pragma once

#include <optional>

#include "fight/weapons.h"
#include "settings/fight_settings.h"

namespace ruckvale::tools {

// Percent of fighters per category (index 0 to 7) and unarmed (index 8).
struct WeaponOdds {
  int percent[9] = {};
};
// Counts the draws 0 to 99 with the module's own rule.
WeaponOdds OddsOf(const FightSettings& settings);

// The name of row i of the odds: a category for 0 to 7, "unarmed" for 8.
const char* OddsRowName(int i);
// The name of a drawn category, or "unarmed" for none.
const char* CategoryText(const std::optional<WeaponCategory>& category);

}  // namespace ruckvale::tools
