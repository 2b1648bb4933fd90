// The state a fight carries from frame to frame: who fights, when each was
// last re-tasked, and the two hostile relationship groups.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "host/types.h"

namespace ruckvale {

// One fighter of the current fight and its side: group 1 (drawn at an even
// position) or group 2 (odd).
struct RosterEntry {
  Ped ped = 0;
  std::uint8_t group = 1;
  friend bool operator==(const RosterEntry&, const RosterEntry&) = default;
};

// The fighters of the current fight, distinct, in the order they were drawn.
using FightRoster = std::vector<RosterEntry>;

// Ordered map from fighter to the tick of its last re-task (0: never). Kept as
// a sorted array with room reserved, so that supervising a fight allocates
// nothing once it has run.
class RetaskTimes {
 public:
  // The entry of `ped`, inserted with 0 when absent.
  std::uint32_t& operator[](Ped ped);
  // The entry of `ped` or nullptr; never inserts.
  const std::uint32_t* Find(Ped ped) const;
  void clear() { entries_.clear(); }
  void reserve(std::size_t n) { entries_.reserve(n); }
  std::size_t size() const { return entries_.size(); }
  const std::vector<std::pair<Ped, std::uint32_t>>& entries() const { return entries_; }

 private:
  std::vector<std::pair<Ped, std::uint32_t>> entries_;  // ascending by Ped
};

// The hashes of "BRAWL_GROUP_1" and "BRAWL_GROUP_2"; 0 until the first fight
// creates them. The game writes each through an address and may write 8
// bytes, so each has an 8-byte slot; the hash is the slot's low 32 bits.
struct FightGroups {
  std::uint64_t group1_slot = 0;
  std::uint64_t group2_slot = 0;
  Hash Group1Hash() const { return static_cast<Hash>(group1_slot); }
  Hash Group2Hash() const { return static_cast<Hash>(group2_slot); }
};

// The most nearby peds the game is asked for, and so the most fighters.
inline constexpr int kNearbyCapacity = 32;

struct FightState {
  FightRoster roster;
  RetaskTimes retask_times;
  FightGroups groups;
  // Scratch lists of one fight start; they keep their capacity across frames.
  std::vector<Ped> candidates;
  std::vector<Ped> selection;
};

// Empties the roster and the re-task times and zeroes the groups, and reserves
// room for the largest fight so that later passes need not allocate. The
// script calls it at every start: handles of an earlier game session name
// other peds or none.
void ResetFightState(FightState& fight);

}  // namespace ruckvale
