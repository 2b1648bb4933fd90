#include "probe/probe_read.h"

#include <cmath>

#include "fight/weapons.h"
#include "host/natives.h"

namespace ruckvale {

namespace {

// The answers of one living fighter; `f` exists.
void ReadLiving(const ProbeState& p, const ProbeFighter& f, FighterReading& r) {
  r.in_combat = natives::IsPedInCombat(f.ped, 0);
  r.fleeing = natives::IsPedFleeing(f.ped);
  const Ped target = natives::GetCurrentTargetForPed(f.ped);
  for (int j = 0; j < p.fighter_count && target != 0; ++j) {
    const ProbeFighter& o = p.fighters[j];
    if (o.ped == target && o.ped != f.ped && o.group == f.group) r.own_side = true;
  }
  // Preset as the game's scripts do: a call that writes nothing leaves unarmed.
  std::uint64_t held = kUnarmedWeapon;
  natives::GetCurrentPedWeapon(f.ped, &held, true, kAttachPrimaryHand, false);
  r.held = held;
  r.armed = f.weapon != 0;
  r.holding = r.armed && static_cast<Hash>(held) == f.weapon;
  r.blade = f.category <= static_cast<int>(WeaponCategory::Melee);
  r.riding = natives::IsPedOnMount(f.ped);
  r.group = natives::GetPedRelationshipGroupHash(f.ped);
  r.in_group = r.group == p.group_hashes[f.group == 1 ? 0 : 1];
  r.at = natives::GetEntityCoords(f.ped, true, true);
}

float Distance(const Vector3& a, const Vector3& b) {
  const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The nearest living opponent of each living blade, from the positions read.
void MeasureBlades(const ProbeState& p, FighterReading (&out)[kProbeFighters]) {
  for (int i = 0; i < p.fighter_count; ++i) {
    FighterReading& r = out[i];
    if (!r.there || r.down || !r.blade) continue;
    for (int j = 0; j < p.fighter_count; ++j) {
      const FighterReading& o = out[j];
      if (!o.there || o.down || p.fighters[j].group == p.fighters[i].group) continue;
      const float d = Distance(r.at, o.at);
      if (r.nearest < 0.0f || d < r.nearest) r.nearest = d;
    }
    r.close = r.nearest >= 0.0f && r.nearest <= kProbeCloseMetres;
  }
}

}  // namespace

void ReadFighters(const ProbeState& p, FighterReading (&out)[kProbeFighters]) {
  for (int i = 0; i < p.fighter_count; ++i) {
    const ProbeFighter& f = p.fighters[i];
    FighterReading& r = out[i];
    r = FighterReading{};
    r.there = natives::DoesEntityExist(f.ped);
    if (!r.there) continue;
    r.down = natives::IsPedDeadOrDying(f.ped, true);
    if (!r.down) ReadLiving(p, f, r);
  }
  MeasureBlades(p, out);
}

namespace {

// A blade or fist in combat, not fleeing, with a living opponent left: it
// is to close in.
bool ClosingBlade(const FighterReading& r) {
  return r.blade && r.in_combat && !r.fleeing && r.nearest >= 0.0f;
}

}  // namespace

SampleCounts CountReadings(const ProbeState& p, const FighterReading (&r)[kProbeFighters]) {
  SampleCounts c;
  for (int i = 0; i < p.fighter_count; ++i) {
    const FighterReading& x = r[i];
    if (!x.there) {
      ++c.gone;
      continue;
    }
    if (x.down) {
      ++c.down;
      continue;
    }
    ++c.fighters;
    c.in_combat += x.in_combat;
    c.fleeing += x.fleeing;
    c.idle += !x.in_combat && !x.fleeing;
    c.own_side += x.own_side;
    c.armed += x.armed;
    c.holding += x.holding;
    const bool closing = ClosingBlade(x);
    c.blades += closing;
    c.close += closing && x.close;
    c.in_group += x.in_group;
    c.riding += x.riding;
  }
  return c;
}

bool FailsATest(const FighterReading& r) {
  if (!r.there || r.down) return false;
  const bool distant = ClosingBlade(r) && !r.close;
  return !r.in_combat || r.fleeing || r.own_side || (r.armed && !r.holding) || distant ||
         !r.in_group || r.riding;
}

LetGoReading ReadLetGo(Ped ped) {
  LetGoReading r;
  r.there = natives::DoesEntityExist(ped);
  if (!r.there) return r;
  r.mission = natives::IsEntityAMissionEntity(ped);
  r.group = natives::GetPedRelationshipGroupHash(ped);
  r.default_group = r.group == natives::GetPedRelationshipGroupDefaultHash(ped);
  r.in_combat = natives::IsPedInCombat(ped, 0);
  r.fleeing = natives::IsPedFleeing(ped);
  return r;
}

void CountLook(const LetGoReading& r, LookCounts& c) {
  ++c.peds;
  c.there += r.there;
  c.mission += r.mission;
  c.default_group += r.default_group;
  c.in_combat += r.in_combat;
  c.fleeing += r.fleeing;
}

}  // namespace ruckvale
