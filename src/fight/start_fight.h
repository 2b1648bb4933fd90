// Starts a fight among the peds near the player.
#pragma once

#include <cstdint>

#include "host/types.h"

namespace ruckvale {

// Handed to GET_PED_NEARBY_PEDS. The module writes the capacity (32) into the
// first 32-bit value and reads 32-bit handles at offset 4*k for positions k =
// 1..32; the game's own scripts lay such arrays out in 8-byte slots, so the
// buffer has room for that too. Zeroed before every call.
struct NearbyPedBuffer {
  alignas(8) unsigned char bytes[8 + 32 * 8];
  Ped Position(int k) const;  // k = 1..32
};

// Handed to PLAY_PED_AMBIENT_SPEECH_NATIVE: eight 8-byte slots.
struct SpeechBlock {
  std::uint64_t slots[8];
};

// The speech lines a fighter shouts, drawn modulo 3.
extern const char* const InsultLines[3];

// Asks the game for the peds near the player, draws fight_group_size distinct
// qualifying ones, prepares, groups and insults each, tasks every ordered pair
// against each other, and makes them the new roster. When too few peds qualify,
// nothing changes. Throws only std::bad_alloc, and then leaves the roster and
// the re-task times as they were.
void StartFight();

}  // namespace ruckvale
