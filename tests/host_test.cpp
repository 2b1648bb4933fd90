// The native-call helper and the native table, seen from the game's side.
#include <gtest/gtest.h>

#include "host/native_list.h"
#include "host/natives.h"
#include "host/random.h"
#include "sim/game_hash.h"
#include "sim/module_run.h"

namespace ruckvale {
namespace {

using sim::Game;

struct NativeCase {
  const char* name;
  std::uint64_t hash;
};

// Hashes as the game publishes them.
TEST(NativeTable, EveryNativeCarriesItsHash) {
  const NativeCase cases[] = {
      {"GET_HASH_KEY", 0xFD340785ADF8CFB7},
      {"PLAYER_PED_ID", 0x096275889B8E0EE0},
      {"GET_PED_RESET_FLAG", 0xAF9E59B1B1FBF2A0},
      {"GET_PED_NEARBY_PEDS", 0x23F8F5FC7E8C4A6B},
      {"DOES_ENTITY_EXIST", 0xD42BD6EB2E0F1677},
      {"IS_PED_HUMAN", 0xB980061DA992779D},
      {"IS_PED_DEAD_OR_DYING", 0x3317DEDB88C95038},
      {"IS_PED_IN_COMBAT", 0x4859F1FC66A6278E},
      {"GET_ENTITY_COORDS", 0xA86D5F069399F44D},
      {"ADD_RELATIONSHIP_GROUP", 0xF372BC22FCB88606},
      {"SET_RELATIONSHIP_BETWEEN_GROUPS", 0xBF25EB89375A37AD},
      {"SET_PED_RELATIONSHIP_GROUP_HASH", 0xC80A74AC829DDD92},
      {"PLAY_PED_AMBIENT_SPEECH_NATIVE", 0x8E04FEDD28D42462},
      {"TASK_COMBAT_PED", 0xF166E48407BAC484},
      {"SET_ENTITY_AS_MISSION_ENTITY", 0xDC19C288082E586E},
      {"CLEAR_PED_TASKS_IMMEDIATELY", 0xAAA34F8A7CB32098},
      {"REMOVE_ALL_PED_WEAPONS", 0xF25DF915FA38C5F3},
      {"SET_BLOCKING_OF_NON_TEMPORARY_EVENTS", 0x9F8AA94D6D97DBF4},
      {"SET_PED_FLEE_ATTRIBUTES", 0x70A2D1137C8ED7C9},
      {"SET_PED_COMBAT_ATTRIBUTES", 0x9F7794730795E019},
      {"SET_PED_COMBAT_ABILITY", 0xC7622C0D36B2FDA8},
      {"SET_PED_COMBAT_RANGE", 0x3C606747B23E497B},
      {"SET_PED_COMBAT_MOVEMENT", 0x4D9CA1009AFBD057},
      {"SET_PED_KEEP_TASK", 0x971D38760FBC02EF},
      {"GIVE_WEAPON_TO_PED", 0x5E3BDDBCB83F3D84},
      {"SET_CURRENT_PED_WEAPON", 0xADF692B254977C0C},
      {"SET_ENTITY_AS_NO_LONGER_NEEDED", 0x4971D2F8162B9674},
      {"IS_ENTITY_A_MISSION_ENTITY", 0x138190F64DB4BBD1},
      {"REGISTER_TARGET", 0x2F25D9AEFA34FBA2},
      {"GET_PED_RELATIONSHIP_GROUP_DEFAULT_HASH", 0x42FDD0F017B1E38E},
      {"GET_MOUNT", 0xE7E11B8DCBED1058},
      {"IS_PED_ON_MOUNT", 0x460BC76A0E10655E},
      {"IS_PED_IN_ANY_VEHICLE", 0x997ABD671D25CA0B},
      {"IS_PED_HOGTIED", 0x3AA24CCC0D451379},
      {"IS_PED_LASSOED", 0x9682F850056C9ADE},
      {"IS_DISABLED_CONTROL_PRESSED", 0xE2587F8CBBD87B1D},
      {"IS_DISABLED_CONTROL_JUST_RELEASED", 0x305C8DCD79DA8B0F},
      {"IS_USING_KEYBOARD_AND_MOUSE", 0xA571D46727E2B718},
      {"IS_PED_FLEEING", 0xBBCCE00B381F8482},
      {"GET_CURRENT_PED_WEAPON", 0x3A87E44BB9A01D54},
      {"GET_PED_RELATIONSHIP_GROUP_HASH", 0x7DBDD04862D95F04},
      {"GET_CURRENT_TARGET_FOR_PED", 0xCD66FEA29400A0B5},
      {"VAR_STRING", 0xFA925AC00EB830B9},
      {"UI_FEED_POST_HELP_TEXT", 0x049D5C615BD38BAD},
      {"UI_FEED_GET_CURRENT_MESSAGE", 0xC17F69E1418CD11F},
      {"UI_FEED_GET_MESSAGE_STATE", 0x59FA676177DBE4C9},
      {"GET_HUD_VISIBILITY_SLOT_STATE", 0x7EC0D68233E391AC},
      {"IS_SCREEN_FADED_IN", 0x37F9A426FBCF4AF2},
      {"IS_PAUSE_MENU_ACTIVE", 0x535384D6067BA42E},
      {"IS_HUD_HIDDEN", 0x71B72B478F8189DC},
      {"CLEAR_RELATIONSHIP_BETWEEN_GROUPS", 0x5E29243FB56FC6D4},
  };
  for (const NativeCase& c : cases) EXPECT_EQ(sim::NativeName(c.hash), c.name) << c.name;
    // Every native of the table is stated above: a new one needs its literal too.
#define RUCKVALE_COUNT_NATIVE(name, hash) +1
  constexpr std::size_t kTableSize = 0 RUCKVALE_NATIVES(RUCKVALE_COUNT_NATIVE);
#undef RUCKVALE_COUNT_NATIVE
  EXPECT_EQ(std::size(cases), kTableSize);
}

TEST(GameHash, IsJenkinsOneAtATimeOfTheLowerCasedName) {
  EXPECT_EQ(sim::GameHash("WEAPON_UNARMED"), 0xA2719263u);
  EXPECT_EQ(sim::GameHash("weapon_unarmed"), 0xA2719263u);
  EXPECT_EQ(sim::GameHash("WEAPON_BOW"), 0x88A8505Cu);
}

// The first draws after a seed, worked out by hand from the definition:
// state = state * 214013 + 2531011 (mod 2^32), bits 16 to 30 of the new state.
// After seed 1 the second state is 0xC823F683, whose bit 31 must not show.
TEST(Random, FirstDrawsFollowTheDefinition) {
  struct Case {
    std::uint32_t seed;
    int draws[5];
  };
  const Case cases[] = {
      {0, {38, 7719, 21238, 2437, 8855}},
      {1, {41, 18467, 6334, 26500, 19169}},
      {0xFFFFFFFFu, {35, 29739, 3374, 11141, 31308}},
  };
  for (const Case& c : cases) {
    std::uint32_t state = 7;
    SeedRandom(state, c.seed);
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(NextRandom(state), c.draws[i]) << c.seed << ", draw " << i;
  }
}

class NativeCallTest : public testing::Test {
 protected:
  void SetUp() override { sim::SetActiveGame(&game); }
  void TearDown() override { sim::SetActiveGame(nullptr); }
  Game game;
};

TEST_F(NativeCallTest, WidensWithoutSignExtensionAndPassesAddresses) {
  alignas(8) unsigned char buffer_[264] = {};
  natives::GetPedNearbyPeds(-1, buffer_, -1, -1);
  ASSERT_EQ(game.calls.size(), 1u);
  const sim::Call& c = game.calls[0];
  EXPECT_EQ(c.name, "GET_PED_NEARBY_PEDS");
  ASSERT_EQ(c.args.size(), 4u);
  EXPECT_EQ(c.args[0], 0x00000000FFFFFFFFull);
  EXPECT_EQ(c.args[1], reinterpret_cast<std::uintptr_t>(buffer_));
  EXPECT_EQ(c.args[2], 0x00000000FFFFFFFFull);
  EXPECT_EQ(c.args[3], 0x00000000FFFFFFFFull);
}

TEST_F(NativeCallTest, ReadsTheLow32BitsOfSlotZero) {
  game.world.garbage_high_bits = true;
  game.world.AddPed(1, 1);
  EXPECT_EQ(natives::PlayerPedId(), 1);
  EXPECT_TRUE(natives::DoesEntityExist(100));
  EXPECT_FALSE(natives::DoesEntityExist(555));  // 0xDEADBEEF00000000: false
  EXPECT_EQ(natives::GetHashKey("WEAPON_BOW"), 0x88A8505Cu);
}

TEST_F(NativeCallTest, CopiesThreeSlotsForAPosition) {
  const Ped p = game.world.AddPed(3.5f, -4.25f);
  game.world.Find(p)->pos.z = 7.0f;
  const Vector3 v = natives::GetEntityCoords(p, true, true);
  EXPECT_EQ(v.x, 3.5f);
  EXPECT_EQ(v.y, -4.25f);
  EXPECT_EQ(v.z, 7.0f);
}

TEST_F(NativeCallTest, NoResultSlotsReadAsZero) {
  game.world.null_result = true;
  EXPECT_EQ(natives::PlayerPedId(), 0);
  EXPECT_FALSE(natives::GetPedResetFlag(1, 187));
  const Vector3 v = natives::GetEntityCoords(1, true, true);
  EXPECT_EQ(v.x, 0.0f);
}

}  // namespace
}  // namespace ruckvale
