#include "tools/weapon_odds.h"

namespace ruckvale::tools {

WeaponOdds OddsOf(const FightSettings& settings) {
  WeaponOdds odds;
  for (int c = 0; c < 100; ++c) {
    const std::optional<WeaponCategory> category = CategoryForDraw(c, settings);
    ++odds.percent[category ? static_cast<int>(*category) : 8];
  }
  return odds;
}

const char* OddsRowName(int i) {
  return i < kWeaponCategoryCount ? WeaponCategoryName(static_cast<WeaponCategory>(i)) : "unarmed";
}

const char* CategoryText(const std::optional<WeaponCategory>& category) {
  return OddsRowName(category ? static_cast<int>(*category) : kWeaponCategoryCount);
}

}  // namespace ruckvale::tools
