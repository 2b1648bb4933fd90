#include "fight/combatant.h"

#include "fight/weapons.h"
#include "host/natives.h"

namespace ruckvale {

void PrepareCombatant(Ped ped) {
  using namespace natives;
  SetEntityAsMissionEntity(ped, true, true);
  ClearPedTasksImmediately(ped, true, true);
  RemoveAllPedWeapons(ped, true, true);
  SetBlockingOfNonTemporaryEvents(ped, true);
  SetPedFleeAttributes(ped, 0, false);
  SetPedCombatAttributes(ped, 5, true);   // fight armed peds when unarmed
  SetPedCombatAttributes(ped, 17, true);  // always fight
  SetPedCombatAttributes(ped, 46, true);  // can fight to the end
  SetPedCombatAbility(ped, 2);
  SetPedCombatRange(ped, 2);
  SetPedCombatMovement(ped, 2);
  SetPedKeepTask(ped, true);
  ArmCombatant(ped);
}

}  // namespace ruckvale
