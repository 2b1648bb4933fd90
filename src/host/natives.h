// Typed wrappers of the game natives the module calls, one function each, in
// the game's argument order. Results the module does not need are ignored.
#pragma once

#include "host/native_call.h"
#include "host/types.h"

namespace ruckvale::natives {

Hash GetHashKey(const char* name);
Ped PlayerPedId();
// Asked on every pass, so defined here for the pass to take in whole.
inline bool GetPedResetFlag(Ped ped, int flag) {
  return CallNative<bool>(NativeHash::GET_PED_RESET_FLAG, ped, flag);
}
// buffer: the game writes the capacity-limited list of nearby peds; returns their count.
int GetPedNearbyPeds(Ped ped, void* buffer, int ignore_a, int ignore_b);
bool DoesEntityExist(Ped ped);
bool IsPedHuman(Ped ped);
// Non-zero for a ped some script keeps: a story mission's, a bounty's, a
// companion, or one of the module's own fighters.
bool IsEntityAMissionEntity(Ped ped);
bool IsPedDeadOrDying(Ped ped, bool include_dying);
bool IsPedInCombat(Ped ped, Ped target);
Vector3 GetEntityCoords(Ped ped, bool alive, bool real_coords);
// The game stores the new group's hash at `group`; it may write 8 bytes there.
void AddRelationshipGroup(const char* name, void* group);
void SetRelationshipBetweenGroups(int relationship, Hash group, Hash other_group);
// Undoes a relationship a script set: the game's own holds again.
void ClearRelationshipBetweenGroups(int relationship, Hash group, Hash other_group);
void SetPedRelationshipGroupHash(Ped ped, Hash group);
void PlayPedAmbientSpeechNative(Ped ped, const void* speech_block);
void TaskCombatPed(Ped ped, Ped target, int flags_a, int flags_b);
void SetEntityAsMissionEntity(Ped ped, bool mission, bool script_owned);
// Takes the address of a handle: the game may clear the handle through it and
// may write 8 bytes there.
void SetEntityAsNoLongerNeeded(std::int64_t* entity);
void ClearPedTasksImmediately(Ped ped, bool a, bool b);
void RemoveAllPedWeapons(Ped ped, bool a, bool b);
void SetBlockingOfNonTemporaryEvents(Ped ped, bool block);
void SetPedFleeAttributes(Ped ped, int attributes, bool enable);
void SetPedCombatAttributes(Ped ped, int attribute, bool enable);
void SetPedCombatAbility(Ped ped, int ability);
void SetPedCombatRange(Ped ped, int range);
void SetPedCombatMovement(Ped ped, int movement);
void SetPedKeepTask(Ped ped, bool keep);
// Thirteen arguments, named as public references name them; a false or 0 travels
// as a clear 64-bit slot, a float as its bit pattern in the low 32 bits.
// Attach point 0 is the primary hand, 1 the secondary (off) hand.
void GiveWeaponToPed(Ped ped, Hash weapon, int ammo, bool force_in_hand, bool force_in_holster,
                     int attach_point, bool allow_multiple_copies, float p7, float p8,
                     Hash add_reason, bool ignore_unlocks, float permanent_degradation, bool p12);
void SetCurrentPedWeapon(Ped ped, Hash weapon, bool equip_now, int attach_point, bool p4, bool p5);
// Adds `target` to the ped's targets; a combat task then fights them in turn.
void RegisterTarget(Ped ped, Ped target, bool p2);
// The relationship group the game gave the ped before any script set one.
Hash GetPedRelationshipGroupDefaultHash(Ped ped);
// The horse the ped rides, or 0.
Ped GetMount(Ped ped);
bool IsPedOnMount(Ped ped);
bool IsPedInAnyVehicle(Ped ped, bool at_get_in);
bool IsPedHogtied(Ped ped);
bool IsPedLassoed(Ped ped);
// Gamepad controls, by the hash of their INPUT_ name, read whether or not
// the game has disabled them; pad 0 is the player's.
bool IsDisabledControlPressed(int pad, Hash control);
bool IsDisabledControlJustReleased(int pad, Hash control);
bool IsUsingKeyboardAndMouse(int pad);
// Read-only questions the probe asks of a ped that exists.
bool IsPedFleeing(Ped ped);
// The weapon at the attach point (0: the primary hand) goes to `weapon`, which
// the game may write as 8 bytes; false when it wrote none.
bool GetCurrentPedWeapon(Ped ped, std::uint64_t* weapon, bool p2, int attach_point, bool p4);
Hash GetPedRelationshipGroupHash(Ped ped);
// The entity the ped fights now, or 0.
Ped GetCurrentTargetForPed(Ped ped);
// Help text. VarString(10, "LITERAL_STRING", text) makes a text the game
// shows as typed: the flag word gives two bits per argument after the first
// (2: a string). The result is a buffer the game owns and reuses: hand it on
// at once, in the same pass, and never keep it. `text` must outlive the module.
const char* VarString(int flags, const char* label, const char* text);
// Posts a help message from its two blocks of 8-byte slots (A: the duration
// in ms in slot 0; B: the text in slot 1); returns its id, 0: refused.
int UiFeedPostHelpText(const void* block_a, const void* block_b, bool immediately);
// The game's own "may I show help now" questions: the current message of a
// feed (1: help) and its state (4: showing), the state of a HUD visibility
// slot (2: hidden), the screen's fade, the pause menu, the HUD.
int UiFeedGetCurrentMessage(int feed);
int UiFeedGetMessageState(int message);
int GetHudVisibilitySlotState(int slot);
bool IsScreenFadedIn();
bool IsPauseMenuActive();
bool IsHudHidden();

}  // namespace ruckvale::natives
