// Turns one picked ped into a fighter: mission entity, tasks cleared, weapons
// removed, combat configured, then armed.
#pragma once

#include "host/types.h"

namespace ruckvale {

// Twelve natives in a fixed order, then ArmCombatant. Nothing is tested or
// recorded; preparing a ped again repeats everything.
void PrepareCombatant(Ped ped);

}  // namespace ruckvale
