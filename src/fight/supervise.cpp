#include "fight/supervise.h"

#include "fight/combatant.h"
#include "host/module_state.h"
#include "host/natives.h"
#include "host/random.h"

namespace ruckvale {

namespace {
constexpr std::int32_t kRetaskIntervalMs = 2000;
}

void SuperviseFighters(std::uint32_t now) {
  FightState& f = Module().fight;
  if (f.roster.empty()) return;
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
  FightRoster& roster = Module().fight.roster;
  // One stable sweep: the fighters that stay close up at the front. A dead or
  // dying fighter is released to the engine at once, before the next is tested.
  std::size_t kept = 0;
  for (const Ped x : roster) {
    if (!natives::DoesEntityExist(x)) continue;
    if (natives::IsPedDeadOrDying(x, true)) {
      ReleaseCombatant(x);
      continue;
    }
    roster[kept++] = x;
  }
  roster.resize(kept);
}

}  // namespace ruckvale
