// Turns one picked ped into a fighter (mission entity, tasks cleared, weapons
// removed, combat configured, then armed), and lets a fighter go again.
#pragma once

#include "fight/fight_context.h"
#include "fight/weapons.h"
#include "host/types.h"

namespace ruckvale {

// Twelve natives in a fixed order, then ArmCombatant; a fighter with a blade,
// its fists or nothing then prefers melee (attribute 93) at range 0 (near).
// Nothing is tested or recorded; preparing a ped again repeats everything.
// Returns what the fighter was given.
Armament PrepareCombatant(const FightContext& c, Ped ped);

// Hands a fighter back to the engine: SET_ENTITY_AS_NO_LONGER_NEEDED, so that
// the ped stops being persistent and the game may remove it when it sees fit.
// The game is given an 8-byte copy of the handle, never the caller's storage.
// This alone is for the dead; a living fighter goes through LetGoCombatant.
void ReleaseCombatant(Ped ped);

// Lets a living fighter go as the game's own scripts do: events unblocked, so
// it reacts to gunfire, threats and the player again; its own relationship
// group back; then released.
void LetGoCombatant(Ped ped);

}  // namespace ruckvale
