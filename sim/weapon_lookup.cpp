#include "sim/weapon_lookup.h"

#include "sim/game_hash.h"

namespace ruckvale::sim {

std::optional<WeaponCategory> CategoryOfWeapon(Hash weapon) {
  for (int c = 0; c < kWeaponCategoryCount; ++c) {
    const auto category = static_cast<WeaponCategory>(c);
    const WeaponCategoryNames names = WeaponNames(category);
    for (std::size_t i = 0; i < names.count; ++i) {
      if (GameHash(names.names[i]) == weapon) return category;
    }
  }
  return std::nullopt;
}

}  // namespace ruckvale::sim
