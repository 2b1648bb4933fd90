#include "host/natives.h"

#include "host/native_call.h"

namespace ruckvale::natives {

using N = NativeHash;

Hash GetHashKey(const char* name) {
  return CallNative<Hash>(N::GET_HASH_KEY, name);
}
Ped PlayerPedId() {
  return CallNative<Ped>(N::PLAYER_PED_ID);
}
int GetPedNearbyPeds(Ped ped, void* buffer, int ignore_a, int ignore_b) {
  return CallNative<int>(N::GET_PED_NEARBY_PEDS, ped, static_cast<const void*>(buffer), ignore_a,
                         ignore_b);
}
bool DoesEntityExist(Ped ped) {
  return CallNative<bool>(N::DOES_ENTITY_EXIST, ped);
}
bool IsPedHuman(Ped ped) {
  return CallNative<bool>(N::IS_PED_HUMAN, ped);
}
bool IsEntityAMissionEntity(Ped ped) {
  return CallNative<bool>(N::IS_ENTITY_A_MISSION_ENTITY, ped);
}
bool IsPedDeadOrDying(Ped ped, bool include_dying) {
  return CallNative<bool>(N::IS_PED_DEAD_OR_DYING, ped, include_dying);
}
bool IsPedInCombat(Ped ped, Ped target) {
  return CallNative<bool>(N::IS_PED_IN_COMBAT, ped, target);
}
Vector3 GetEntityCoords(Ped ped, bool alive, bool real_coords) {
  return CallNative<Vector3>(N::GET_ENTITY_COORDS, ped, alive, real_coords);
}
void AddRelationshipGroup(const char* name, void* group) {
  CallNative(N::ADD_RELATIONSHIP_GROUP, name, static_cast<const void*>(group));
}
void SetRelationshipBetweenGroups(int relationship, Hash group, Hash other_group) {
  CallNative(N::SET_RELATIONSHIP_BETWEEN_GROUPS, relationship, group, other_group);
}
void ClearRelationshipBetweenGroups(int relationship, Hash group, Hash other_group) {
  CallNative(N::CLEAR_RELATIONSHIP_BETWEEN_GROUPS, relationship, group, other_group);
}
void SetPedRelationshipGroupHash(Ped ped, Hash group) {
  CallNative(N::SET_PED_RELATIONSHIP_GROUP_HASH, ped, group);
}
void PlayPedAmbientSpeechNative(Ped ped, const void* speech_block) {
  CallNative(N::PLAY_PED_AMBIENT_SPEECH_NATIVE, ped, speech_block);
}
void TaskCombatPed(Ped ped, Ped target, int flags_a, int flags_b) {
  CallNative(N::TASK_COMBAT_PED, ped, target, flags_a, flags_b);
}
void SetEntityAsMissionEntity(Ped ped, bool mission, bool script_owned) {
  CallNative(N::SET_ENTITY_AS_MISSION_ENTITY, ped, mission, script_owned);
}
void SetEntityAsNoLongerNeeded(std::int64_t* entity) {
  CallNative(N::SET_ENTITY_AS_NO_LONGER_NEEDED, static_cast<const void*>(entity));
}
void ClearPedTasksImmediately(Ped ped, bool a, bool b) {
  CallNative(N::CLEAR_PED_TASKS_IMMEDIATELY, ped, a, b);
}
void RemoveAllPedWeapons(Ped ped, bool a, bool b) {
  CallNative(N::REMOVE_ALL_PED_WEAPONS, ped, a, b);
}
void SetBlockingOfNonTemporaryEvents(Ped ped, bool block) {
  CallNative(N::SET_BLOCKING_OF_NON_TEMPORARY_EVENTS, ped, block);
}
void SetPedFleeAttributes(Ped ped, int attributes, bool enable) {
  CallNative(N::SET_PED_FLEE_ATTRIBUTES, ped, attributes, enable);
}
void SetPedCombatAttributes(Ped ped, int attribute, bool enable) {
  CallNative(N::SET_PED_COMBAT_ATTRIBUTES, ped, attribute, enable);
}
void SetPedCombatAbility(Ped ped, int ability) {
  CallNative(N::SET_PED_COMBAT_ABILITY, ped, ability);
}
void SetPedCombatRange(Ped ped, int range) {
  CallNative(N::SET_PED_COMBAT_RANGE, ped, range);
}
void SetPedCombatMovement(Ped ped, int movement) {
  CallNative(N::SET_PED_COMBAT_MOVEMENT, ped, movement);
}
void SetPedKeepTask(Ped ped, bool keep) {
  CallNative(N::SET_PED_KEEP_TASK, ped, keep);
}
void GiveWeaponToPed(Ped ped, Hash weapon, int ammo, bool force_in_hand, bool force_in_holster,
                     int attach_point, bool allow_multiple_copies, float p7, float p8,
                     Hash add_reason, bool ignore_unlocks, float permanent_degradation, bool p12) {
  CallNative(N::GIVE_WEAPON_TO_PED, ped, weapon, ammo, force_in_hand, force_in_holster,
             attach_point, allow_multiple_copies, p7, p8, add_reason, ignore_unlocks,
             permanent_degradation, p12);
}
void SetCurrentPedWeapon(Ped ped, Hash weapon, bool equip_now, int attach_point, bool p4, bool p5) {
  CallNative(N::SET_CURRENT_PED_WEAPON, ped, weapon, equip_now, attach_point, p4, p5);
}

void RegisterTarget(Ped ped, Ped target, bool p2) {
  CallNative(N::REGISTER_TARGET, ped, target, p2);
}
Hash GetPedRelationshipGroupDefaultHash(Ped ped) {
  return CallNative<Hash>(N::GET_PED_RELATIONSHIP_GROUP_DEFAULT_HASH, ped);
}
Ped GetMount(Ped ped) {
  return CallNative<Ped>(N::GET_MOUNT, ped);
}
bool IsPedOnMount(Ped ped) {
  return CallNative<bool>(N::IS_PED_ON_MOUNT, ped);
}
bool IsPedInAnyVehicle(Ped ped, bool at_get_in) {
  return CallNative<bool>(N::IS_PED_IN_ANY_VEHICLE, ped, at_get_in);
}
bool IsPedHogtied(Ped ped) {
  return CallNative<bool>(N::IS_PED_HOGTIED, ped);
}
bool IsPedLassoed(Ped ped) {
  return CallNative<bool>(N::IS_PED_LASSOED, ped);
}

bool IsDisabledControlPressed(int pad, Hash control) {
  return CallNative<bool>(N::IS_DISABLED_CONTROL_PRESSED, pad, control);
}
bool IsDisabledControlJustReleased(int pad, Hash control) {
  return CallNative<bool>(N::IS_DISABLED_CONTROL_JUST_RELEASED, pad, control);
}
bool IsUsingKeyboardAndMouse(int pad) {
  return CallNative<bool>(N::IS_USING_KEYBOARD_AND_MOUSE, pad);
}

bool IsPedFleeing(Ped ped) {
  return CallNative<bool>(N::IS_PED_FLEEING, ped);
}
bool GetCurrentPedWeapon(Ped ped, std::uint64_t* weapon, bool p2, int attach_point, bool p4) {
  return CallNative<bool>(N::GET_CURRENT_PED_WEAPON, ped, static_cast<const void*>(weapon), p2,
                          attach_point, p4);
}
Hash GetPedRelationshipGroupHash(Ped ped) {
  return CallNative<Hash>(N::GET_PED_RELATIONSHIP_GROUP_HASH, ped);
}
Ped GetCurrentTargetForPed(Ped ped) {
  return CallNative<Ped>(N::GET_CURRENT_TARGET_FOR_PED, ped);
}

const char* VarString(int flags, const char* label, const char* text) {
  return CallNative<const char*>(N::VAR_STRING, flags, label, text);
}
int UiFeedPostHelpText(const void* block_a, const void* block_b, bool immediately) {
  return CallNative<int>(N::UI_FEED_POST_HELP_TEXT, block_a, block_b, immediately);
}
int UiFeedGetCurrentMessage(int feed) {
  return CallNative<int>(N::UI_FEED_GET_CURRENT_MESSAGE, feed);
}
int UiFeedGetMessageState(int message) {
  return CallNative<int>(N::UI_FEED_GET_MESSAGE_STATE, message);
}
int GetHudVisibilitySlotState(int slot) {
  return CallNative<int>(N::GET_HUD_VISIBILITY_SLOT_STATE, slot);
}
bool IsScreenFadedIn() {
  return CallNative<bool>(N::IS_SCREEN_FADED_IN);
}
bool IsPauseMenuActive() {
  return CallNative<bool>(N::IS_PAUSE_MENU_ACTIVE);
}
bool IsHudHidden() {
  return CallNative<bool>(N::IS_HUD_HIDDEN);
}

}  // namespace ruckvale::natives
