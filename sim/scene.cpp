#include "sim/scene.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "fight/law.h"
#include "sim/game_hash.h"
#include "sim/weapon_lookup.h"

namespace ruckvale::sim {

namespace {

// How fast the attacker's current weapon kills, per second in combat.
double KillRate(Hash weapon) {
  const std::optional<WeaponCategory> category = CategoryOfWeapon(weapon);
  if (!category) return 0.01;  // unarmed: mostly a brawl
  switch (*category) {
    case WeaponCategory::Melee:
      return 0.04;
    case WeaponCategory::Throwable:
      return 0.2;
    case WeaponCategory::Bow:
      return 0.12;
    default:
      return 0.25;
  }
}

// A fleeing ped runs straight away from the player at 5 units a second.
void RunAway(SimPed& p, float dt) {
  const float d = std::sqrt(p.pos.x * p.pos.x + p.pos.y * p.pos.y);
  if (d < 0.001f) {
    p.pos.x += 5.0f * dt;
    return;
  }
  p.pos.x += p.pos.x / d * 5.0f * dt;
  p.pos.y += p.pos.y / d * 5.0f * dt;
}

// A blade or fist fighter runs at its target, fast enough to reach it in
// about a quarter of a second from anywhere in a fight's radius.
void CloseIn(SimPed& p, const SimPed& target, float dt) {
  const float dx = target.pos.x - p.pos.x, dy = target.pos.y - p.pos.y;
  const float d = std::sqrt(dx * dx + dy * dy);
  if (d <= 1.5f) return;
  const float step = std::min(d - 1.5f, std::max(12.0f, 10.0f * d) * dt);
  p.pos.x += dx / d * step;
  p.pos.y += dy / d * step;
}

bool HoldsABlade(const SimPed& p) {
  const std::optional<WeaponCategory> category = CategoryOfWeapon(p.current_weapon);
  return !category || *category == WeaponCategory::Melee;
}

}  // namespace

Scene::Scene(std::uint64_t seed, bool lawmen)
    : state_(seed * 0x9E3779B97F4A7C15ull + 1), lawmen_(lawmen) {}

double Scene::Uniform() {
  // xorshift64*: the scene's own generator, apart from the module's.
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  return static_cast<double>((state_ * 0x2545F4914F6CDD1Dull) >> 11) * 0x1.0p-53;
}

bool Scene::Chance(double per_second, float dt) {
  return Uniform() < per_second * dt;
}

// A random direction, by rejection from the square: only exactly rounded
// operations, so every platform places the peds alike (cos and sin differ
// between C libraries in the last bit).
void Scene::Direction(float& x, float& y) {
  for (;;) {
    const double dx = Uniform() * 2.0 - 1.0, dy = Uniform() * 2.0 - 1.0;
    const double r2 = dx * dx + dy * dy;
    if (r2 > 0.01 && r2 <= 1.0) {
      const double r = std::sqrt(r2);
      x = static_cast<float>(dx / r);
      y = static_cast<float>(dy / r);
      return;
    }
  }
}

Ped Scene::SpawnPed(World& world) {
  float x = 0, y = 0;
  Direction(x, y);
  const float distance = 3.0f + static_cast<float>(Uniform()) * 77.0f;
  const double kind = Uniform();
  const Species species = kind < 0.8 ? Species::Human : kind < 0.9 ? Species::Horse : Species::Dog;
  const Ped handle = world.AddPed(distance * x, distance * y, species);
  // One in eight passers-by rides in, one in sixteen drives a wagon.
  const double way = Uniform();
  if (species == Species::Human && way < 0.125) world.Find(handle)->on_mount = true;
  if (species == Species::Human && way >= 0.125 && way < 0.1875) {
    world.Find(handle)->in_vehicle = true;
  }
  return handle;
}

void Scene::Populate(World& world) {
  for (int i = 0; i < 30; ++i) {
    const Species species = i % 10 == 3   ? Species::Horse
                            : i % 10 == 7 ? Species::Dog
                                          : Species::Human;
    float x = 0, y = 0;
    Direction(x, y);
    // Spread from 3 to 80 units, half of them inside the default radius.
    const float distance = 3.0f + 77.0f * static_cast<float>(i) / 29.0f;
    world.AddPed(distance * x, distance * y, species);
  }
  // A companion and a bounty of the story, which their scripts keep.
  for (const float distance : {6.0f, 15.0f}) {
    float x = 0, y = 0;
    Direction(x, y);
    SimPed& p = *world.Find(world.AddPed(distance * x, distance * y));
    p.mission_entity = true;
    p.story_owned = true;
  }
  // Two riders, a wagon's driver, a hogtied ped and a lassoed one.
  int held = 0;
  for (const float distance : {8.0f, 20.0f, 12.0f, 7.0f, 9.0f}) {
    float x = 0, y = 0;
    Direction(x, y);
    SimPed& p = *world.Find(world.AddPed(distance * x, distance * y));
    p.on_mount = held < 2;
    p.in_vehicle = held == 2;
    p.hogtied = held == 3;
    p.lassoed = held == 4;
    ++held;
  }
  // Two bodies in the street, cleared away after ten minutes.
  for (const float distance : {5.0f, 30.0f}) {
    float x = 0, y = 0;
    Direction(x, y);
    SimPed& p = *world.Find(world.AddPed(distance * x, distance * y));
    p.life = Life::Dead;
    p.dying_for = -591.0f;
  }
  if (!lawmen_) return;
  // The sheriff and his deputies, at posts that take no draw: the street's
  // other peds stand where they stand without them.
  const std::pair<float, float> posts[] = {
      {10.0f, 0.0f}, {0.0f, 14.0f}, {-18.0f, 0.0f}, {0.0f, -25.0f}};
  for (const auto& [x, y] : posts) {
    SimPed& p = *world.Find(world.AddPed(x, y));
    p.default_group = kRelCop;
    p.current_weapon = GameHash("WEAPON_REVOLVER_CATTLEMAN");
  }
}

// A lawman out of combat goes for the nearest fighter in combat within 30
// units whose group his own hates; the fighter turns on him.
void Scene::StepLawman(World& world, SimPed& p, float dt, EmitFn emit, void* ctx) {
  SimPed* nearest = nullptr;
  float best = 30.0f;
  for (SimPed& f : world.peds) {
    if (!f.exists || f.life != Life::Alive || !f.in_combat || !world.IsBrawlGroup(f.group) ||
        !world.Hostile(p, f)) {
      continue;
    }
    const float dx = f.pos.x - p.pos.x, dy = f.pos.y - p.pos.y;
    const float d = std::sqrt(dx * dx + dy * dy);
    if (d <= best) {
      best = d;
      nearest = &f;
    }
  }
  if (nearest == nullptr || !Chance(1.0, dt)) return;
  p.in_combat = true;
  p.task_target = nearest->handle;
  nearest->task_target = p.handle;
  if (std::find(nearest->registered.begin(), nearest->registered.end(), p.handle) ==
      nearest->registered.end()) {
    nearest->registered.push_back(p.handle);
  }
  emit(ctx, SceneEvent{SceneEvent::LawJoined, p.handle, nearest->handle});
}

// Cutscenes close the module's gate now and then.
void Scene::StepCutscene(World& world, float dt, EmitFn emit, void* ctx) {
  if (cutscene_left_ > 0.0f) {
    cutscene_left_ -= dt;
    if (cutscene_left_ <= 0.0f) {
      world.reset_flag = false;
      emit(ctx, SceneEvent{SceneEvent::CutsceneEnd, 0, 0});
    }
  } else if (Chance(1.0 / 75.0, dt)) {
    cutscene_left_ = 3.0f;
    world.reset_flag = true;
    emit(ctx, SceneEvent{SceneEvent::CutsceneStart, 0, 0});
  }
}

// One frame of a ped in combat: its target gone or dead, no quarrel with
// it, a kill, or dropping out.
void Scene::StepCombat(World& world, SimPed& p, float dt, EmitFn emit, void* ctx) {
  SimPed* target = world.Find(p.task_target);
  const auto down = [](const SimPed* t) {
    return t == nullptr || !t->exists || t->life != Life::Alive;
  };
  if (world.blades_close_in && !down(target) && HoldsABlade(p)) CloseIn(p, *target, dt);
  if (down(target)) {
    // It turns to the next living target it was given, if any.
    target = nullptr;
    for (const Ped r : p.registered) {
      if (!down(world.Find(r))) {
        target = world.Find(r);
        break;
      }
    }
    if (target != nullptr) {
      p.task_target = target->handle;
    } else {
      p.in_combat = false;
      emit(ctx, SceneEvent{SceneEvent::DroppedOut, p.handle, 0});
    }
  } else if (!world.Hostile(p, *target) && Chance(1.0, dt)) {
    p.in_combat = false;  // no quarrel with that one
    emit(ctx, SceneEvent{SceneEvent::DroppedOut, p.handle, 0});
  } else if (Chance(KillRate(p.current_weapon), dt)) {
    target->life = Life::Dying;
    target->in_combat = false;
    emit(ctx, SceneEvent{SceneEvent::Died, target->handle, p.handle});
  } else if (!world.steady_fighters && Chance(0.15, dt)) {
    p.in_combat = false;
    emit(ctx, SceneEvent{SceneEvent::DroppedOut, p.handle, 0});
  }
}

void Scene::StepImpl(World& world, float dt, EmitFn emit, void* ctx) {
  auto event = [&](SceneEvent::Kind kind, Ped ped, Ped by = 0) {
    emit(ctx, SceneEvent{kind, ped, by});
  };
  StepCutscene(world, dt, emit, ctx);

  int arrivals = 0;
  for (std::size_t i = 1; i < world.peds.size(); ++i) {
    SimPed& p = world.peds[i];
    if (!p.exists) continue;
    if (p.life != Life::Alive) {
      p.dying_for += dt;
      if (p.life == Life::Dying && p.dying_for >= 1.0f) p.life = Life::Dead;
      if (p.dying_for >= 9.0f && !p.mission_entity) {
        p.exists = false;
        event(SceneEvent::Vanished, p.handle);
        ++arrivals;  // someone else comes down the street
      }
      continue;
    }
    if (p.tasks != p.seen_tasks) {
      p.seen_tasks = p.tasks;
      const bool flee_on = p.Attribute(kAttributeAlwaysFlee) || world.contrary == Contrary::Flee;
      const bool flees = flee_on && p.task_target != 0;
      if (flees && !p.fleeing) event(SceneEvent::Fled, p.handle);
      p.fleeing = p.fleeing || flees;
      p.in_combat = p.task_target != 0 && !p.fleeing;
      continue;
    }
    if (p.fleeing) {
      RunAway(p, dt);
      continue;
    }
    if (p.in_combat) {
      StepCombat(world, p, dt, emit, ctx);
    } else if (lawmen_ && IsLawGroup(World::GroupOf(p))) {
      StepLawman(world, p, dt, emit, ctx);
    }
  }

  for (; arrivals > 0; --arrivals) event(SceneEvent::WalkedIn, SpawnPed(world));
  // Peds wander off and new ones wander in: now and then one who is not
  // fighting leaves, wherever it stands, so the street keeps its mix.
  if (Chance(1.0 / 20.0, dt) && world.peds.size() > 1) {
    const auto i =
        1 + static_cast<std::size_t>(Uniform() * static_cast<double>(world.peds.size() - 1));
    SimPed& p = world.peds[std::min(i, world.peds.size() - 1)];
    // The tied-up stay where they are; the player's horse stays with the
    // player; the law keeps its post.
    const bool stays = p.hogtied || p.lassoed || p.handle == world.players_horse ||
                       IsLawGroup(World::DefaultGroup(p));
    if (p.exists && p.life == Life::Alive && !p.in_combat && !p.mission_entity && !stays) {
      p.exists = false;
      event(SceneEvent::Vanished, p.handle);
      event(SceneEvent::WalkedIn, SpawnPed(world));
    }
  }
  // The gone leave the world for good; the game would reuse their handles.
  world.peds.erase(std::remove_if(world.peds.begin() + 1, world.peds.end(),
                                  [](const SimPed& p) { return !p.exists; }),
                   world.peds.end());
}

}  // namespace ruckvale::sim
