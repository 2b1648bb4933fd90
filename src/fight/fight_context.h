// What the fight code reads and draws from besides the fight itself: the
// settings, the weapon catalogue and the generator's state. The script binds
// it from the module's state once per pass; a test builds its own.
#pragma once

#include <cstdint>

#include "fight/weapons.h"
#include "settings/fight_settings.h"

namespace ruckvale {

struct FightContext {
  const FightSettings& settings;
  const WeaponCatalogue& catalogue;
  std::uint32_t& random;  // the one generator's state (host/random.h)
};

}  // namespace ruckvale
