#include "fight/supervise.h"

#include "fight/combatant.h"
#include "host/natives.h"
#include "host/random.h"

namespace ruckvale {

namespace {

constexpr std::int32_t kRetaskIntervalMs = 2000;

// The opponents of a fighter of `group`: the roster's entries of the other
// group, in roster order. The number of them, and the one at `index`.
std::size_t OpponentCount(const FightRoster& roster, std::uint8_t group) {
  std::size_t n = 0;
  for (const RosterEntry& e : roster) n += e.group != group ? 1 : 0;
  return n;
}
Ped OpponentAt(const FightRoster& roster, std::uint8_t group, std::size_t index) {
  for (const RosterEntry& e : roster) {
    if (e.group == group) continue;
    if (index == 0) return e.ped;
    --index;
  }
  return 0;
}

// True when every fighter left stands on one side.
bool OneSideStands(const FightRoster& roster) {
  for (const RosterEntry& e : roster) {
    if (e.group != roster.front().group) return false;
  }
  return true;
}

}  // namespace

void SuperviseFighters(FightState& f, std::uint32_t& random, std::uint32_t now) {
  if (f.roster.empty()) return;
  // Every entry this walk may insert has room before the first one, so running
  // out of memory leaves the re-task times as they were.
  f.retask_times.reserve(f.retask_times.size() + f.roster.size());
  for (const RosterEntry& r : f.roster) {
    if (!natives::DoesEntityExist(r.ped)) continue;
    if (natives::IsPedDeadOrDying(r.ped, true)) continue;
    if (natives::IsPedInCombat(r.ped, 0)) continue;
    std::uint32_t& last = f.retask_times[r.ped];
    if (last != 0 && static_cast<std::int32_t>(now - last) <= kRetaskIntervalMs) continue;
    // Only the other side: with nobody left there, there is nothing to draw.
    const std::size_t opponents = OpponentCount(f.roster, r.group);
    if (opponents == 0) continue;
    const Ped target =
        OpponentAt(f.roster, r.group, static_cast<std::size_t>(NextRandom(random)) % opponents);
    if (!natives::DoesEntityExist(target)) continue;
    // Pruning comes after supervision: a target that died this frame is still listed.
    if (natives::IsPedDeadOrDying(target, true)) continue;
    natives::TaskCombatPed(r.ped, target, 0, 16);
    last = now;
  }
}

int PruneRoster(FightState& f) {
  FightRoster& roster = f.roster;
  // One stable sweep: the fighters that stay close up at the front. A dead or
  // dying fighter is released to the engine at once, before the next is tested.
  std::size_t kept = 0;
  for (const RosterEntry& x : roster) {
    if (!natives::DoesEntityExist(x.ped)) continue;
    if (natives::IsPedDeadOrDying(x.ped, true)) {
      ReleaseCombatant(x.ped);
      continue;
    }
    roster[kept++] = x;
  }
  roster.resize(kept);
  if (roster.empty() || !OneSideStands(roster)) return 0;
  // The fight is over: the winners are let go and walk away.
  for (const RosterEntry& x : roster) LetGoCombatant(x.ped);
  const int let_go = static_cast<int>(roster.size());
  roster.clear();
  f.retask_times.clear();
  return let_go;
}

}  // namespace ruckvale
