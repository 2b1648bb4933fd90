// Starts a fight among the peds near the player.
#pragma once

#include <cmath>
#include <cstdint>

#include "fight/fight_context.h"
#include "fight/fight_state.h"
#include "fight/weapons.h"
#include "host/types.h"

namespace ruckvale {

// Handed to GET_PED_NEARBY_PEDS, zeroed, with the capacity (32) in the first
// 32-bit value. The game's own scripts lay such arrays out in 8-byte slots
// (the size in slot 0, handle k at byte offset 8*k); a game may also write
// 4-byte positions (handle k at offset 4*k). The buffer has room for either.
struct NearbyPedBuffer {
  alignas(8) unsigned char bytes[8 + 32 * 8];
  // The distance in bytes between two handles as the game wrote them: 8 when
  // it listed at least one ped and left the 32-bit value at offset 4 zero
  // (the high half of an 8-byte size), else 4.
  int Stride(int count) const;
  // The handle at position k = 1..32: the 32-bit value at offset stride*k.
  Ped Handle(int k, int stride) const;
};

// Handed to PLAY_PED_AMBIENT_SPEECH_NATIVE: eight 8-byte slots.
struct SpeechBlock {
  std::uint64_t slots[8];
};

// True when `at` lies within `radius` of `origin`: the three-dimensional
// distance, computed in 32-bit floats, no greater than the radius.
inline bool WithinFightRadius(const Vector3& origin, const Vector3& at, float radius) {
  const float dx = at.x - origin.x;
  const float dy = at.y - origin.y;
  const float dz = at.z - origin.z;
  return !(std::sqrt(dx * dx + dy * dy + dz * dz) > radius);
}

// The speech lines a fighter shouts, drawn modulo 3.
inline constexpr const char* kInsultLines[3] = {"GENERIC_INSULT_HIGH_NEUTRAL",
                                                "GENERIC_INSULT_HIGH", "GENERIC_MOCK"};

// Why a ped the game listed did not become a candidate, in the order of the tests.
enum class LeftOutBy : std::uint8_t {
  Repeated,  // listed before
  NotExisting,
  Player,
  PlayersMount,  // the horse the player rides
  NotHuman,
  TooFar,
  Dead,
  OtherScript,  // kept by another script
  Riding,
  InVehicle,
  Hogtied,
  Lassoed,
  Law,  // a lawman, left out by lawmen_fight=false or law_steps_in=true
};
inline constexpr int kLeftOutByCount = 13;

// What one fight start found and did, for the module's log. Filled on the
// stack; nothing allocates.
struct FightStartReport {
  int listed = 0;       // the count the game returned
  bool tested = false;  // the count sufficed and the listed peds were tested
  // Tested: the bytes between two handles as read (8 or 4). One byte, in the
  // padding after `tested`: the report is no larger for it.
  std::uint8_t stride = 0;
  int candidates = 0;  // peds that qualified
  int left_out[kLeftOutByCount] = {};
  int fighters = 0;      // 0: no fight started (or a fight of none)
  bool started = false;  // the roster was replaced
  // The brawl groups were made in this start and set against the law
  // (law_steps_in); in the padding after `started`.
  bool law_set = false;
  Armament arms[kNearbyCapacity] = {};  // per fighter, in selection order
};

// Asks the game for the peds near the player, draws fight_group_size distinct
// qualifying ones, prepares, groups and insults each, registers each side's
// fighters as the other side's targets with one combat task each, lets go the
// fighters of the replaced fight that were not drawn again, and makes the new
// ones the roster, each entered as re-tasked at `now` (the pass's tick). When
// too few peds qualify, nothing changes. Throws only std::bad_alloc, and then
// leaves the roster and the re-task times as they were.
FightStartReport StartFight(FightState& fight, const FightContext& c, std::uint32_t now);

}  // namespace ruckvale
