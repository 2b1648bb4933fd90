#include "fight/fight_state.h"

#include <algorithm>

namespace ruckvale {

std::uint32_t& RetaskTimes::operator[](Ped ped) {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), ped,
                             [](const auto& entry, Ped key) { return entry.first < key; });
  if (it == entries_.end() || it->first != ped) it = entries_.insert(it, {ped, 0u});
  return it->second;
}

const std::uint32_t* RetaskTimes::Find(Ped ped) const {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), ped,
                             [](const auto& entry, Ped key) { return entry.first < key; });
  return it == entries_.end() || it->first != ped ? nullptr : &it->second;
}

void ResetFightState(FightState& f) {
  f.roster.clear();
  f.retask_times.clear();
  f.groups = FightGroups{};
  f.candidates.clear();
  f.selection.clear();
  f.roster.reserve(kNearbyCapacity);
  // Supervision reserves room for its entries plus one per fighter before it walks.
  f.retask_times.reserve(2 * kNearbyCapacity);
  f.candidates.reserve(kNearbyCapacity);
  f.selection.reserve(kNearbyCapacity);
}

}  // namespace ruckvale
