// Which catalogue category a weapon hash belongs to, as the game names it.
#pragma once

#include <optional>

#include "fight/weapons.h"

namespace ruckvale::sim {

// nullopt for a hash of no catalogue weapon (the unarmed one included).
std::optional<WeaponCategory> CategoryOfWeapon(Hash weapon);

}  // namespace ruckvale::sim
