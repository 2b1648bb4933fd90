// The state a fight carries from frame to frame: who fights, when each was
// last re-tasked, and the two hostile relationship groups.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "host/types.h"

namespace ruckvale {

// The fighters of the current fight, distinct, in the order they were drawn.
using FightRoster = std::vector<Ped>;

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
// creates them. Each has 8 bytes of storage, since the game may write 8 bytes
// through the address it is given; the hash is the low 32 bits.
struct FightGroups {
  std::uint64_t group1 = 0;
  std::uint64_t group2 = 0;
  Hash Group1() const { return static_cast<Hash>(group1); }
  Hash Group2() const { return static_cast<Hash>(group2); }
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

// The module's fight state, constant-initialised so that reaching it costs no
// guard test. Bind it once at the top of a function:
//   FightState& f = Fight();
extern FightState g_fight_state;
inline FightState& Fight() {
  return g_fight_state;
}

// Empties the roster and the re-task times and zeroes the groups, and reserves
// room for the largest fight so that later passes need not allocate. The
// script calls it at every start: handles of an earlier game session name
// other peds or none.
void ResetFightState();

}  // namespace ruckvale
