#include "sim/world.h"

namespace ruckvale::sim {

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

int World::KeptPersistent() const {
  int n = 0;
  for (const SimPed& p : peds) n += p.exists && p.mission_entity ? 1 : 0;
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

}  // namespace ruckvale::sim
