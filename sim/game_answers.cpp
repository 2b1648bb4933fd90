// The simulated game's answers to the natives, from the World: queries,
// the nearby list, relationship groups, and what the module does to a ped.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/script_main.h"
#include "sim/call_args.h"
#include "sim/game.h"
#include "sim/game_hash.h"
#include "sim/weapon_lookup.h"

namespace ruckvale::sim {

namespace {

std::string Quoted(const char* s) {
  return std::string("\"") + s + "\"";
}

float Distance(const Vector3& a, const Vector3& b) {
  const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The existing peds the game lists around `from`, nearest first, after the
// knobs' extra handles, repeated when the knob says so, cut to `limit`.
std::vector<Ped> NearbyList(const World& w, const SimPed* from, int limit) {
  std::vector<Ped> listed = w.nearby.extra;
  std::vector<const SimPed*> close_by;
  for (const SimPed& p : w.peds) {
    if (!p.exists || from == nullptr) continue;
    if (p.handle == from->handle && !w.nearby.list_player) continue;
    if (Distance(p.pos, from->pos) <= w.nearby_range) close_by.push_back(&p);
  }
  std::stable_sort(close_by.begin(), close_by.end(), [from](const SimPed* x, const SimPed* y) {
    return Distance(x->pos, from->pos) < Distance(y->pos, from->pos);
  });
  for (const SimPed* p : close_by) {
    listed.push_back(p->handle);
    if (w.nearby.repeat_each) listed.push_back(p->handle);
  }
  if (static_cast<int>(listed.size()) > limit) listed.resize(static_cast<std::size_t>(limit));
  return listed;
}

// Writes the list into the module's buffer as the knobs say: 8-byte slots
// (with the size in slot 0) or 4-byte positions, unused ones zero or garbage.
void WriteNearbyList(const NearbyAnswer& knobs, const std::vector<Ped>& listed,
                     unsigned char* buffer) {
  const std::size_t width = knobs.eight_byte_slots ? 8 : 4;
  for (int k = 1; k <= 32; ++k) {
    const std::size_t slot = static_cast<std::size_t>(k) - 1;
    std::uint64_t value = slot < listed.size() ? static_cast<std::uint32_t>(listed[slot])
                          : knobs.garbage_fill ? 0xA5A5A5A5u + static_cast<std::uint32_t>(k)
                                               : 0u;
    if (knobs.eight_byte_slots && slot < listed.size() && listed[slot] < 0) {
      value |= 0xFFFFFFFF00000000ull;  // sign-extended, as 8-byte script values are
    }
    std::memcpy(buffer + width * static_cast<std::size_t>(k), &value, width);
  }
  if (knobs.eight_byte_slots) {
    const std::uint64_t size = listed.size();
    std::memcpy(buffer, &size, 8);
  }
}

// What the module sets on a ped that needs nothing of the call but its
// arguments. False for a native of another kind.
bool ApplyToPed(NativeHash hash, SimPed& p, const std::vector<std::uint64_t>& a) {
  switch (hash) {
    case NativeHash::CLEAR_PED_TASKS_IMMEDIATELY:
      p.in_combat = false;
      p.fleeing = false;
      p.task_target = 0;
      p.registered.clear();
      ++p.cleared;
      return true;
    case NativeHash::REMOVE_ALL_PED_WEAPONS:
      p.weapons.clear();
      p.current_weapon = 0;
      p.off_hand_weapon = 0;
      return true;
    case NativeHash::SET_BLOCKING_OF_NON_TEMPORARY_EVENTS:
      p.blocking_events = Arg32(a, 1) != 0;
      return true;
    case NativeHash::SET_PED_FLEE_ATTRIBUTES:
      p.flee_attributes = static_cast<int>(Arg32(a, 1));
      return true;
    case NativeHash::SET_PED_COMBAT_ATTRIBUTES: {
      const auto attribute = static_cast<std::int32_t>(Arg32(a, 1));
      p.combat_attributes[attribute] = Arg32(a, 2) != 0;
      if (attribute == kAttributeAlwaysFlee && Arg32(a, 2) == 0) p.fleeing = false;
      return true;
    }
    case NativeHash::SET_PED_COMBAT_ABILITY:
      p.combat_ability = static_cast<int>(Arg32(a, 1));
      return true;
    case NativeHash::SET_PED_COMBAT_RANGE:
      p.combat_range = static_cast<int>(Arg32(a, 1));
      return true;
    case NativeHash::SET_PED_COMBAT_MOVEMENT:
      p.combat_movement = static_cast<int>(Arg32(a, 1));
      return true;
    case NativeHash::SET_PED_KEEP_TASK:
      p.keep_task = Arg32(a, 1) != 0;
      return true;
    default:
      return false;
  }
}

// A combat order (a task or a registered target) against a ped of the
// attacker's own brawl group is counted.
void CountOwnSide(World& w, const SimPed& p, Ped target) {
  const SimPed* t = w.Find(target);
  if (t != nullptr && t->handle != p.handle && w.IsBrawlGroup(p.group) && t->group == p.group) {
    ++w.own_side_orders;
  }
}

// The hand a weapon goes to at an attach point: 1 the off hand, else the
// primary; a game read contrarily puts a firearm at 0 in the off hand.
Hash& Hand(const World& w, SimPed& p, Hash weapon, std::uint32_t attach_point) {
  const std::optional<WeaponCategory> category = CategoryOfWeapon(weapon);
  const bool firearm = category && *category != WeaponCategory::Melee &&
                       *category != WeaponCategory::Throwable && *category != WeaponCategory::Bow;
  const bool off = attach_point == 1 || (w.contrary == Contrary::Hand && firearm);
  return off ? p.off_hand_weapon : p.current_weapon;
}

// Weapons, and the combat orders of a ped that exists. Attach point 0 is the
// primary hand, 1 the off hand, which does not shoot. A new combat task
// replaces the last; registered targets add up until the tasks are cleared.
void ArmOrTask(World& w, NativeHash hash, SimPed& p, const std::vector<std::uint64_t>& a) {
  if (hash == NativeHash::GIVE_WEAPON_TO_PED) {
    p.weapons.emplace_back(Arg32(a, 1), static_cast<std::int32_t>(Arg32(a, 2)));
    // bForceInHand puts it at the attach point of the sixth argument.
    if (Arg32(a, 3) != 0) Hand(w, p, Arg32(a, 1), Arg32(a, 5)) = Arg32(a, 1);
  } else if (hash == NativeHash::SET_CURRENT_PED_WEAPON) {
    Hand(w, p, Arg32(a, 1), Arg32(a, 3)) = Arg32(a, 1);
  } else if (hash == NativeHash::TASK_COMBAT_PED && p.exists) {
    p.task_target = ArgPed(a, 1);
    ++p.tasks;
    CountOwnSide(w, p, p.task_target);
  } else if (hash == NativeHash::REGISTER_TARGET && p.exists) {
    const Ped target = ArgPed(a, 1);
    if (std::find(p.registered.begin(), p.registered.end(), target) == p.registered.end()) {
      p.registered.push_back(target);
    }
    CountOwnSide(w, p, target);
  }
}

// grabFromOtherScript (the third argument) takes a story ped from its script.
void MakeMissionEntity(World& w, SimPed& p, const std::vector<std::uint64_t>& a) {
  if (!p.exists) return;
  if (p.story_owned && Arg32(a, 2) != 0) {
    p.story_owned = false;
    p.taken_from_story = true;
    ++w.story_peds_taken;
  }
  if (!p.story_owned) p.mission_entity = Arg32(a, 1) != 0;
}

}  // namespace

void Game::Answer(NativeHash hash, Call& call) {
  if (hash == NativeHash::GET_PED_NEARBY_PEDS) {
    AnswerNearby(call);
  } else if (!AnswerQuery(hash, call) && !AnswerGroups(hash, call) && !AnswerControls(hash, call) &&
             !AnswerHelp(hash, call)) {
    AnswerPed(hash, call);
  }
}

void Game::AnswerNearby(Call& call) {
  auto* buffer = AtAddress<unsigned char>(call.args.at(1));
  std::int32_t capacity;
  std::memcpy(&capacity, buffer, sizeof capacity);
  call.text[1] = "buffer{capacity " + std::to_string(capacity) + "}";
  const std::vector<Ped> listed =
      NearbyList(world, world.Find(ArgPed(call.args, 0)), std::clamp(capacity, 0, 32));
  WriteNearbyList(world.nearby, listed, buffer);
  const int count =
      world.nearby.override_count ? world.nearby.count_override : static_cast<int>(listed.size());
  std::string written = std::to_string(count) + " [";
  for (std::size_t i = 0; i < listed.size(); ++i) {
    written += (i ? "," : "") + std::to_string(listed[i]);
  }
  call.result_text = written + "]";
  call.handles = listed;
  result_[0] = static_cast<std::uint32_t>(count);
}

bool Game::AnswerQuery(NativeHash hash, Call& call) {
  const World& w = world;
  const auto& a = call.args;
  const SimPed* p = a.empty() ? nullptr : w.Find(ArgPed(a, 0));
  const bool there = p != nullptr && p->exists;
  switch (hash) {
    case NativeHash::GET_HASH_KEY: {
      const char* name = AtAddress(a.at(0));
      call.text[0] = Quoted(name);
      const Hash h = w.hash_key_zero ? 0u : GameHash(name);
      if (hash_names.find(h) == hash_names.end()) hash_names.emplace(h, name);
      result_[0] = h;
      return true;
    }
    case NativeHash::PLAYER_PED_ID:
      result_[0] = static_cast<std::uint32_t>(w.player);
      return true;
    case NativeHash::GET_PED_RESET_FLAG:
      result_[0] = ArgPed(a, 0) == w.player && Arg32(a, 1) == kResetFlagGate && w.reset_flag;
      return true;
    case NativeHash::DOES_ENTITY_EXIST:
      result_[0] = there;
      return true;
    case NativeHash::IS_PED_HUMAN:
      result_[0] = there && p->species == Species::Human;
      return true;
    case NativeHash::IS_PED_DEAD_OR_DYING:
      result_[0] = there && p->life != Life::Alive;
      return true;
    case NativeHash::IS_ENTITY_A_MISSION_ENTITY:
      result_[0] = there && p->mission_entity;
      return true;
    case NativeHash::IS_PED_IN_COMBAT:
      result_[0] = there && p->life == Life::Alive && p->in_combat;
      return true;
    case NativeHash::GET_ENTITY_COORDS:
      AnswerCoords(there ? p->pos : Vector3{}, call);
      return true;
    case NativeHash::GET_CURRENT_PED_WEAPON:
      AnswerWeapon(there ? p : nullptr, call);
      return true;
    default:
      return AnswerHold(hash, there ? p : nullptr);
  }
}

bool Game::AnswerHold(NativeHash hash, const SimPed* p) {
  const World& w = world;
  const bool player = p != nullptr && p->handle == w.player;
  switch (hash) {
    case NativeHash::GET_MOUNT:
      result_[0] = player ? static_cast<std::uint32_t>(w.player_mount) : 0u;
      return true;
    case NativeHash::IS_PED_ON_MOUNT:
      result_[0] = p != nullptr && (p->on_mount || (player && w.player_mount != 0));
      return true;
    case NativeHash::IS_PED_IN_ANY_VEHICLE:
      result_[0] = p != nullptr && p->in_vehicle;
      return true;
    case NativeHash::IS_PED_HOGTIED:
      result_[0] = p != nullptr && p->hogtied;
      return true;
    case NativeHash::IS_PED_LASSOED:
      result_[0] = p != nullptr && p->lassoed;
      return true;
    case NativeHash::GET_PED_RELATIONSHIP_GROUP_DEFAULT_HASH:
      result_[0] = p != nullptr ? World::DefaultGroup(*p) : 0u;
      return true;
    case NativeHash::GET_PED_RELATIONSHIP_GROUP_HASH:
      result_[0] = p != nullptr ? World::GroupOf(*p) : 0u;
      return true;
    case NativeHash::IS_PED_FLEEING:
      result_[0] = p != nullptr && p->life == Life::Alive && p->fleeing;
      return true;
    case NativeHash::GET_CURRENT_TARGET_FOR_PED:
      result_[0] = p != nullptr && p->life == Life::Alive && p->in_combat
                       ? static_cast<std::uint32_t>(p->task_target)
                       : 0u;
      return true;
    default:
      return false;
  }
}

bool Game::AnswerControls(NativeHash hash, const Call& call) {
  const World& w = world;
  const auto has = [&call](const std::vector<Hash>& controls) {
    const Hash control = Arg32(call.args, 1);
    return Arg32(call.args, 0) == 0 &&
           std::find(controls.begin(), controls.end(), control) != controls.end();
  };
  switch (hash) {
    case NativeHash::IS_DISABLED_CONTROL_PRESSED:
      result_[0] = has(w.controls_down);
      return true;
    case NativeHash::IS_DISABLED_CONTROL_JUST_RELEASED:
      result_[0] = has(w.controls_released);
      return true;
    case NativeHash::IS_USING_KEYBOARD_AND_MOUSE:
      result_[0] = w.keyboard_in_use;
      return true;
    default:
      return false;
  }
}

void Game::AnswerCoords(const Vector3& v, Call& call) {
  std::memcpy(result_, &v, sizeof v);
  call.position[0] = v.x;
  call.position[1] = v.y;
  call.position[2] = v.z;
  char buf[96];
  std::snprintf(buf, sizeof buf, "(%g, %g, %g)", static_cast<double>(v.x), static_cast<double>(v.y),
                static_cast<double>(v.z));
  call.result_text = buf;
}

// The weapon at the attach point (0 the primary hand, 1 the off hand), as 8
// bytes; with none there the game writes nothing and answers false.
void Game::AnswerWeapon(const SimPed* p, Call& call) {
  if (call.text.size() > 1) call.text[1] = "&weapon";
  const Hash weapon = p == nullptr               ? 0u
                      : Arg32(call.args, 3) == 1 ? p->off_hand_weapon
                                                 : p->current_weapon;
  if (weapon == 0) {
    call.result_text = "wrote nothing";
    result_[0] = 0;
    return;
  }
  const std::uint64_t v = weapon;
  std::memcpy(AtAddress<unsigned char>(call.args.at(1)), &v, 8);
  call.result_text = "wrote " + HexText(v) + " (8 bytes)";
  result_[0] = 1;
}

bool Game::AnswerGroups(NativeHash hash, Call& call) {
  World& w = world;
  const auto& a = call.args;
  if (hash == NativeHash::SET_RELATIONSHIP_BETWEEN_GROUPS) {
    w.relations[{Arg32(a, 1), Arg32(a, 2)}] = static_cast<std::int32_t>(Arg32(a, 0));
    return true;
  }
  // Back to the game's own relationship (none between the module's groups
  // and the law) when the level is the one set.
  if (hash == NativeHash::CLEAR_RELATIONSHIP_BETWEEN_GROUPS) {
    const auto it = w.relations.find({Arg32(a, 1), Arg32(a, 2)});
    if (it != w.relations.end() && it->second == static_cast<std::int32_t>(Arg32(a, 0))) {
      w.relations.erase(it);
    }
    return true;
  }
  if (hash == NativeHash::SET_PED_RELATIONSHIP_GROUP_HASH) {
    if (SimPed* p = w.Find(ArgPed(a, 0))) {
      p->group = Arg32(a, 1);
      if (w.IsBrawlGroup(p->group)) p->brawl_group = p->group;
    }
    return true;
  }
  if (hash != NativeHash::ADD_RELATIONSHIP_GROUP) return false;
  const char* name = AtAddress(a.at(0));
  call.text[0] = Quoted(name);
  call.text[1] = "&group";
  auto* out = AtAddress<unsigned char>(a.at(1));
  const Hash h = GameHash(name);
  w.groups[name] = h;
  hash_names.emplace(h, name);
  if (w.group_leaves_zero) {
    call.result_text = "wrote nothing";
  } else if (w.group_writes_8_bytes) {
    const std::uint64_t v = h;
    std::memcpy(out, &v, 8);
    call.result_text = "wrote " + HexText(v) + " (8 bytes)";
  } else {
    std::memcpy(out, &h, 4);
    call.result_text = "wrote " + HexText(h);
  }
  return true;
}

void Game::AnswerPed(NativeHash hash, Call& call) {
  const auto& a = call.args;
  if (hash == NativeHash::SET_ENTITY_AS_NO_LONGER_NEEDED) {
    AnswerRelease(call);
    return;
  }
  if (hash == NativeHash::PLAY_PED_AMBIENT_SPEECH_NATIVE) {
    const auto* block = AtAddress<const std::uint64_t>(a.at(1));
    const char* line = AtAddress(block[0]);
    std::string text = "speech{" + Quoted(line);
    for (int i = 1; i < 8; ++i) text += ", " + HexText(block[i]);
    call.text[1] = text + "}";
    if (SimPed* p = world.Find(ArgPed(a, 0))) p->last_speech = line;
    return;
  }
  SimPed* p = world.Find(ArgPed(a, 0));
  if (p == nullptr || ApplyToPed(hash, *p, a)) return;
  if (hash == NativeHash::SET_ENTITY_AS_MISSION_ENTITY) {
    MakeMissionEntity(world, *p, a);
  } else {
    ArmOrTask(world, hash, *p, a);
  }
}

// The game reads the handle behind the address and clears the whole 8-byte
// script value there.
void Game::AnswerRelease(Call& call) {
  auto* handle = AtAddress<unsigned char>(call.args.at(0));
  std::int64_t value;
  std::memcpy(&value, handle, sizeof value);
  call.text[0] = "&" + std::to_string(value);
  call.handles = {static_cast<Ped>(value)};
  if (SimPed* p = world.Find(static_cast<Ped>(value)); p != nullptr && p->exists) {
    const bool blind = p->blocking_events || world.IsBrawlGroup(p->group);
    if (p->life == Life::Alive && blind) ++world.let_go_blind;
    p->mission_entity = false;
    p->registered.clear();
    ++p->released;
    if (world.contrary == Contrary::Group && p->brawl_group != 0) p->group = p->brawl_group;
  }
  const std::uint64_t cleared = 0;
  std::memcpy(handle, &cleared, sizeof cleared);
  call.result_text = "handle cleared";
}

}  // namespace ruckvale::sim
