#include "fight/combatant.h"

#include "fight/weapons.h"
#include "host/natives.h"

namespace ruckvale {

Armament PrepareCombatant(const FightContext& c, Ped ped) {
  using namespace natives;
  // Persistent: the engine does not remove the ped until it is released.
  SetEntityAsMissionEntity(ped, true, true);
  ClearPedTasksImmediately(ped, true, true);
  RemoveAllPedWeapons(ped, true, true);
  SetBlockingOfNonTemporaryEvents(ped, true);
  SetPedFleeAttributes(ped, 0, false);
  // Attribute numbers as public lists of the game's enums name them: 5
  // CA_ALWAYS_FIGHT, 17 CA_ALWAYS_FLEE, 46 CA_CAN_FIGHT_ARMED_PEDS_WHEN_NOT_ARMED.
  // The game's own street fight sets exactly these three, with 17 off.
  SetPedCombatAttributes(ped, 5, true);
  SetPedCombatAttributes(ped, 17, false);
  SetPedCombatAttributes(ped, 46, true);
  SetPedCombatAbility(ped, 2);
  SetPedCombatRange(ped, 2);
  SetPedCombatMovement(ped, 2);
  // Lets the ped finish its combat task after it is released.
  SetPedKeepTask(ped, true);
  const Armament arms = ArmCombatant(c, ped);
  if (!arms.category || *arms.category == WeaponCategory::Melee) {
    // 93 is CA_PREFER_MELEE; where the game's scripts set it, the range is near.
    SetPedCombatAttributes(ped, 93, true);
    SetPedCombatRange(ped, 0);
  }
  return arms;
}

void ReleaseCombatant(Ped ped) {
  // The game may clear the handle through the address and may write 8 bytes.
  std::int64_t handle = ped;
  natives::SetEntityAsNoLongerNeeded(&handle);
}

void LetGoCombatant(Ped ped) {
  natives::SetBlockingOfNonTemporaryEvents(ped, false);
  // The engine may reset the group of a released ped on its own; restoring it
  // first leaves nobody in a brawl group either way.
  natives::SetPedRelationshipGroupHash(ped, natives::GetPedRelationshipGroupDefaultHash(ped));
  ReleaseCombatant(ped);
}

}  // namespace ruckvale
