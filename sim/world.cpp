#include "sim/world.h"

#include "fight/law.h"
#include "sim/game_hash.h"

namespace ruckvale::sim {

static_assert(GameHash("REL_COP") == kRelCop && GameHash("REL_GUAMA_LAW") == kRelGuamaLaw);

World::World() {
  SimPed self;
  self.handle = player;
  peds.push_back(self);
}

SimPed* World::Find(Ped handle) {
  for (SimPed& p : peds) {
    if (p.handle == handle) return &p;
  }
  return nullptr;
}

const SimPed* World::Find(Ped handle) const {
  return const_cast<World*>(this)->Find(handle);
}

bool SimPed::Attribute(std::int32_t attribute) const {
  const auto it = combat_attributes.find(attribute);
  return it != combat_attributes.end() && it->second;
}

bool World::IsBrawlGroup(Hash group) const {
  for (const auto& [name, hash] : groups) {
    if (hash == group) return true;
  }
  return false;
}

Hash World::DefaultGroup(Species species) {
  switch (species) {
    case Species::Human:
      return GameHash("REL_CIVMALE");
    case Species::Horse:
      return GameHash("REL_DOMESTIC_ANIMALS");
    case Species::Dog:
      return GameHash("REL_WILD_ANIMAL");
  }
  return 0;
}

Hash World::DefaultGroup(const SimPed& p) {
  return p.default_group != 0 ? p.default_group : DefaultGroup(p.species);
}

Hash World::GroupOf(const SimPed& p) {
  return p.group != 0 ? p.group : DefaultGroup(p);
}

bool World::Hostile(const SimPed& attacker, const SimPed& target) const {
  const Hash a = GroupOf(attacker), t = GroupOf(target);
  const bool law_and_brawl =
      (IsLawGroup(a) && IsBrawlGroup(t)) || (IsBrawlGroup(a) && IsLawGroup(t));
  if (!law_and_brawl && (!IsBrawlGroup(a) || !IsBrawlGroup(t))) return true;
  if (contrary == Contrary::Hate) return false;  // level 6 read as something milder
  const auto it = relations.find({a, t});
  return it != relations.end() && it->second == kRelationshipHate;
}

int World::KeptPersistent() const {
  int n = 0;
  for (const SimPed& p : peds) n += p.exists && p.mission_entity && !p.story_owned ? 1 : 0;
  return n;
}

Ped World::AddPed(float x, float y, Species species) {
  SimPed p;
  p.handle = next_handle++;
  p.pos = Vector3{x, y, 0.0f};
  p.species = species;
  peds.push_back(p);
  return p.handle;
}

std::int32_t Screen::CurrentMessage(std::uint32_t tick) const {
  if (notices.empty()) return 0;
  const ShownNotice& last = notices.back();
  return tick - last.tick < last.duration_ms ? last.id : 0;
}

std::int32_t Screen::MessageState(std::int32_t id, std::uint32_t tick) const {
  for (const ShownNotice& n : notices) {
    if (n.id == id) return tick - n.tick < n.duration_ms ? 4 : 5;
  }
  return 0;
}

}  // namespace ruckvale::sim
