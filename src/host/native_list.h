// The one list of the game natives the module calls, with their hashes.
// Nothing else in the project spells a native hash: the module's typed
// wrappers (natives.cpp) and the simulated game both expand this list.
// The native database names three of them with a leading underscore
// (_UI_FEED_POST_HELP_TEXT, _UI_FEED_GET_MESSAGE_STATE,
// _GET_HUD_VISIBILITY_SLOT_STATE): a name guessed, not hashed. They go
// without it here, where such a name would be a reserved identifier.
#pragma once

// X(NAME, hash)
#define RUCKVALE_NATIVES(X)                                      \
  X(GET_HASH_KEY, 0xFD340785ADF8CFB7)                            \
  X(PLAYER_PED_ID, 0x096275889B8E0EE0)                           \
  X(GET_PED_RESET_FLAG, 0xAF9E59B1B1FBF2A0)                      \
  X(GET_PED_NEARBY_PEDS, 0x23F8F5FC7E8C4A6B)                     \
  X(DOES_ENTITY_EXIST, 0xD42BD6EB2E0F1677)                       \
  X(IS_PED_HUMAN, 0xB980061DA992779D)                            \
  X(IS_PED_DEAD_OR_DYING, 0x3317DEDB88C95038)                    \
  X(IS_PED_IN_COMBAT, 0x4859F1FC66A6278E)                        \
  X(GET_ENTITY_COORDS, 0xA86D5F069399F44D)                       \
  X(ADD_RELATIONSHIP_GROUP, 0xF372BC22FCB88606)                  \
  X(SET_RELATIONSHIP_BETWEEN_GROUPS, 0xBF25EB89375A37AD)         \
  X(SET_PED_RELATIONSHIP_GROUP_HASH, 0xC80A74AC829DDD92)         \
  X(PLAY_PED_AMBIENT_SPEECH_NATIVE, 0x8E04FEDD28D42462)          \
  X(TASK_COMBAT_PED, 0xF166E48407BAC484)                         \
  X(SET_ENTITY_AS_MISSION_ENTITY, 0xDC19C288082E586E)            \
  X(CLEAR_PED_TASKS_IMMEDIATELY, 0xAAA34F8A7CB32098)             \
  X(REMOVE_ALL_PED_WEAPONS, 0xF25DF915FA38C5F3)                  \
  X(SET_BLOCKING_OF_NON_TEMPORARY_EVENTS, 0x9F8AA94D6D97DBF4)    \
  X(SET_PED_FLEE_ATTRIBUTES, 0x70A2D1137C8ED7C9)                 \
  X(SET_PED_COMBAT_ATTRIBUTES, 0x9F7794730795E019)               \
  X(SET_PED_COMBAT_ABILITY, 0xC7622C0D36B2FDA8)                  \
  X(SET_PED_COMBAT_RANGE, 0x3C606747B23E497B)                    \
  X(SET_PED_COMBAT_MOVEMENT, 0x4D9CA1009AFBD057)                 \
  X(SET_PED_KEEP_TASK, 0x971D38760FBC02EF)                       \
  X(GIVE_WEAPON_TO_PED, 0x5E3BDDBCB83F3D84)                      \
  X(SET_CURRENT_PED_WEAPON, 0xADF692B254977C0C)                  \
  X(SET_ENTITY_AS_NO_LONGER_NEEDED, 0x4971D2F8162B9674)          \
  X(IS_ENTITY_A_MISSION_ENTITY, 0x138190F64DB4BBD1)              \
  X(REGISTER_TARGET, 0x2F25D9AEFA34FBA2)                         \
  X(GET_PED_RELATIONSHIP_GROUP_DEFAULT_HASH, 0x42FDD0F017B1E38E) \
  X(GET_MOUNT, 0xE7E11B8DCBED1058)                               \
  X(IS_PED_ON_MOUNT, 0x460BC76A0E10655E)                         \
  X(IS_PED_IN_ANY_VEHICLE, 0x997ABD671D25CA0B)                   \
  X(IS_PED_HOGTIED, 0x3AA24CCC0D451379)                          \
  X(IS_PED_LASSOED, 0x9682F850056C9ADE)                          \
  X(IS_DISABLED_CONTROL_PRESSED, 0xE2587F8CBBD87B1D)             \
  X(IS_DISABLED_CONTROL_JUST_RELEASED, 0x305C8DCD79DA8B0F)       \
  X(IS_USING_KEYBOARD_AND_MOUSE, 0xA571D46727E2B718)             \
  X(IS_PED_FLEEING, 0xBBCCE00B381F8482)                          \
  X(GET_CURRENT_PED_WEAPON, 0x3A87E44BB9A01D54)                  \
  X(GET_PED_RELATIONSHIP_GROUP_HASH, 0x7DBDD04862D95F04)         \
  X(GET_CURRENT_TARGET_FOR_PED, 0xCD66FEA29400A0B5)              \
  X(VAR_STRING, 0xFA925AC00EB830B9)                              \
  X(UI_FEED_POST_HELP_TEXT, 0x049D5C615BD38BAD)                  \
  X(UI_FEED_GET_CURRENT_MESSAGE, 0xC17F69E1418CD11F)             \
  X(UI_FEED_GET_MESSAGE_STATE, 0x59FA676177DBE4C9)               \
  X(GET_HUD_VISIBILITY_SLOT_STATE, 0x7EC0D68233E391AC)           \
  X(IS_SCREEN_FADED_IN, 0x37F9A426FBCF4AF2)                      \
  X(IS_PAUSE_MENU_ACTIVE, 0x535384D6067BA42E)                    \
  X(IS_HUD_HIDDEN, 0x71B72B478F8189DC)                           \
  X(CLEAR_RELATIONSHIP_BETWEEN_GROUPS, 0x5E29243FB56FC6D4)

#include <cstdint>

namespace ruckvale {

enum class NativeHash : std::uint64_t {
#define RUCKVALE_NATIVE_ENUM(name, hash) name = hash,
  RUCKVALE_NATIVES(RUCKVALE_NATIVE_ENUM)
#undef RUCKVALE_NATIVE_ENUM
};

}  // namespace ruckvale
