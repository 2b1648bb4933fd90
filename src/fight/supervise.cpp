#include "fight/supervise.h"

#include <algorithm>

#include "fight/fight_state.h"
#include "host/natives.h"
#include "host/random.h"

namespace ruckvale {

namespace {
constexpr std::int32_t kRetaskIntervalMs = 2000;
}

void SuperviseFighters(std::uint32_t now) {
  FightState& f = Fight();
  // Every entry this walk may insert has room before the first one, so running
  // out of memory leaves the re-task times as they were.
  f.retask_times.reserve(f.retask_times.size() + f.roster.size());
  for (const Ped r : f.roster) {
    if (!natives::DoesEntityExist(r)) continue;
    if (natives::IsPedDeadOrDying(r, true)) continue;
    if (natives::IsPedInCombat(r, 0)) continue;
    std::uint32_t& last = f.retask_times[r];
    if (last != 0 && static_cast<std::int32_t>(now - last) <= kRetaskIntervalMs) continue;
    const Ped target = f.roster[static_cast<std::size_t>(NextRandom()) % f.roster.size()];
    if (target == r) continue;
    if (!natives::DoesEntityExist(target)) continue;
    natives::TaskCombatPed(r, target, 0, 16);
    last = now;
  }
}

void PruneRoster() {
  FightRoster& roster = Fight().roster;
  const auto gone = [](Ped x) {
    return !natives::DoesEntityExist(x) || natives::IsPedDeadOrDying(x, true);
  };
  roster.erase(std::remove_if(roster.begin(), roster.end(), gone), roster.end());
}

}  // namespace ruckvale
