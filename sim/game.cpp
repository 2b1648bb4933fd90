#include "sim/game.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/script_main.h"
#include "sim/game_hash.h"

namespace ruckvale::sim {

namespace {

Game* g_active_game = nullptr;

const char* AsString(std::uint64_t address) {
  return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(address));
}

std::string Quoted(const char* s) {
  return std::string("\"") + s + "\"";
}

std::string Hex(std::uint64_t v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
  return buf;
}

Ped ArgPed(const std::vector<std::uint64_t>& args, std::size_t i) {
  return i < args.size() ? static_cast<Ped>(static_cast<std::uint32_t>(args[i])) : 0;
}

std::uint32_t Arg32(const std::vector<std::uint64_t>& args, std::size_t i) {
  return i < args.size() ? static_cast<std::uint32_t>(args[i]) : 0u;
}

float Distance(const Vector3& a, const Vector3& b) {
  const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

}  // namespace

Game* ActiveGame() {
  return g_active_game;
}
void SetActiveGame(Game* game) {
  g_active_game = game;
}

std::string NativeName(std::uint64_t hash) {
  switch (static_cast<NativeHash>(hash)) {
#define RUCKVALE_NATIVE_NAME(name, value) \
  case NativeHash::name:                  \
    return #name;
    RUCKVALE_NATIVES(RUCKVALE_NATIVE_NAME)
#undef RUCKVALE_NATIVE_NAME
  }
  return "native " + Hex(hash);
}

std::string Game::NameOf(Hash hash) const {
  auto it = hash_names.find(hash);
  return it == hash_names.end() ? Hex(hash) : it->second;
}

void Game::Record(Call& call) {
  call.frame = frame;
  if (observer) observer(call);
  if (record) calls.push_back(call);
}

void Game::ScriptRegister(HMODULE module, void (*script)()) {
  registered_module = module;
  registered_script = script;
  Call c;
  c.kind = CallKind::Hook;
  c.name = "scriptRegister";
  c.args = {0, 0};  // the module handle and the script address differ per run
  c.text = {"module", "script"};
  Record(c);
}

void Game::ScriptUnregister(HMODULE module) {
  if (module == registered_module) registered_script = nullptr;
  Call c;
  c.kind = CallKind::Hook;
  c.name = "scriptUnregister";
  c.args = {0};
  c.text = {"module"};
  Record(c);
}

void Game::ScriptWait(DWORD ms) {
  {
    // Gone before the yield: a fiber dropped while suspended is never unwound.
    GameScope scope;
    Call c;
    c.kind = CallKind::Hook;
    c.name = "scriptWait";
    c.args = {ms};
    Record(c);
  }
  if (yield_to_game) yield_to_game();
}

void Game::NativeInit(std::uint64_t hash) {
  pending_hash_ = hash;
  pending_args_.clear();
}

void Game::NativePush64(std::uint64_t value) {
  pending_args_.push_back(value);
}

std::uint64_t* Game::NativeCall() {
  ++native_count;
  if (before_native) before_native(*this, static_cast<NativeHash>(pending_hash_));
  current_.kind = CallKind::Native;
  current_.name = NativeName(pending_hash_);
  current_.args = pending_args_;
  current_.text.assign(pending_args_.size(), std::string());
  current_.result_text.clear();
  current_.handles.clear();
  std::memset(current_.position, 0, sizeof current_.position);
  std::memset(result_, 0, sizeof result_);
  if (!answer_override ||
      !answer_override(static_cast<NativeHash>(pending_hash_), current_, result_)) {
    Answer(static_cast<NativeHash>(pending_hash_), current_);
  }
  current_.result = result_[0];
  Record(current_);
  if (world.garbage_high_bits) result_[0] |= 0xDEADBEEF00000000ull;
  return world.null_result ? nullptr : result_;
}

std::uint32_t Game::GetTickCount() {
  Call c;
  c.kind = CallKind::Windows;
  c.name = "GetTickCount";
  c.result = world.tick;
  Record(c);
  return world.tick;
}

std::int16_t Game::GetAsyncKeyState(int key) {
  const bool down = key >= 0 && key < 256 && world.keys_down[key] != 0;
  // Bit 15: down now. Bit 0 (pressed since the last call) is set too, as
  // Windows may, so that a module reading the wrong bit goes wrong in tests.
  const std::int16_t state = down ? static_cast<std::int16_t>(0x8001) : std::int16_t{1};
  Call c;
  c.kind = CallKind::Windows;
  c.name = "GetAsyncKeyState";
  c.args = {static_cast<std::uint32_t>(key)};
  c.result = static_cast<std::uint16_t>(state);
  Record(c);
  return state;
}

std::uintptr_t Game::GetForegroundWindow() {
  const std::uintptr_t window = world.no_foreground_window ? 0
                                : world.game_in_foreground ? kGameWindow
                                                           : kOtherWindow;
  Call c;
  c.kind = CallKind::Windows;
  c.name = "GetForegroundWindow";
  c.result = window;
  Record(c);
  return window;
}

std::uint32_t Game::GetWindowThreadProcessId(std::uintptr_t window, std::uint32_t* process_id) {
  const std::uint32_t owner = window == kGameWindow    ? kGameProcessId
                              : window == kOtherWindow ? kOtherProcessId
                                                       : 0;
  if (process_id != nullptr) *process_id = owner;
  Call c;
  c.kind = CallKind::Windows;
  c.name = "GetWindowThreadProcessId";
  c.args = {window, process_id != nullptr ? 1u : 0u};
  c.text = {"", process_id != nullptr ? "&pid" : "null"};
  c.result = owner == 0 ? 0 : owner + 1;  // the owning thread
  c.result_text = "thread " + std::to_string(c.result) + ", pid " + std::to_string(owner);
  c.handles = {static_cast<std::int32_t>(owner)};
  Record(c);
  return static_cast<std::uint32_t>(c.result);
}

std::uint32_t Game::GetCurrentProcessId() {
  Call c;
  c.kind = CallKind::Windows;
  c.name = "GetCurrentProcessId";
  c.result = kGameProcessId;
  Record(c);
  return kGameProcessId;
}

void Game::Answer(NativeHash hash, Call& call) {
  World& w = world;
  const auto& a = call.args;
  auto set_bool = [this](bool v) { result_[0] = v ? 1 : 0; };
  switch (hash) {
    case NativeHash::GET_HASH_KEY: {
      const char* name = AsString(a.at(0));
      call.text[0] = Quoted(name);
      const Hash h = w.hash_key_zero ? 0u : GameHash(name);
      if (hash_names.find(h) == hash_names.end()) hash_names.emplace(h, name);
      result_[0] = h;
      break;
    }
    case NativeHash::PLAYER_PED_ID:
      result_[0] = static_cast<std::uint32_t>(w.player);
      break;
    case NativeHash::GET_PED_RESET_FLAG:
      set_bool(ArgPed(a, 0) == w.player && Arg32(a, 1) == kResetFlagGate && w.reset_flag);
      break;
    case NativeHash::GET_PED_NEARBY_PEDS: {
      auto* buffer = reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(a.at(1)));
      std::int32_t capacity;
      std::memcpy(&capacity, buffer, sizeof capacity);
      call.text[1] = "buffer{capacity " + std::to_string(capacity) + "}";
      const SimPed* from = w.Find(ArgPed(a, 0));
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
      const int limit = std::clamp(capacity, 0, 32);
      if (static_cast<int>(listed.size()) > limit) listed.resize(static_cast<std::size_t>(limit));
      const std::size_t width = w.nearby.eight_byte_slots ? 8 : 4;
      for (int k = 1; k <= 32; ++k) {
        const std::size_t slot = static_cast<std::size_t>(k) - 1;
        std::uint64_t value = slot < listed.size()    ? static_cast<std::uint32_t>(listed[slot])
                              : w.nearby.garbage_fill ? 0xA5A5A5A5u + static_cast<std::uint32_t>(k)
                                                      : 0u;
        if (w.nearby.eight_byte_slots && slot < listed.size() && listed[slot] < 0) {
          value |= 0xFFFFFFFF00000000ull;  // sign-extended, as 8-byte script values are
        }
        std::memcpy(buffer + width * static_cast<std::size_t>(k), &value, width);
      }
      if (w.nearby.eight_byte_slots) {
        const std::uint64_t size = listed.size();
        std::memcpy(buffer, &size, 8);
      }
      const int count =
          w.nearby.override_count ? w.nearby.count_override : static_cast<int>(listed.size());
      std::string written = std::to_string(count) + " [";
      for (std::size_t i = 0; i < listed.size(); ++i) {
        written += (i ? "," : "") + std::to_string(listed[i]);
      }
      call.result_text = written + "]";
      call.handles = listed;
      result_[0] = static_cast<std::uint32_t>(count);
      break;
    }
    case NativeHash::DOES_ENTITY_EXIST: {
      const SimPed* p = w.Find(ArgPed(a, 0));
      set_bool(p != nullptr && p->exists);
      break;
    }
    case NativeHash::IS_PED_HUMAN: {
      const SimPed* p = w.Find(ArgPed(a, 0));
      set_bool(p != nullptr && p->exists && p->species == Species::Human);
      break;
    }
    case NativeHash::IS_PED_DEAD_OR_DYING: {
      const SimPed* p = w.Find(ArgPed(a, 0));
      set_bool(p != nullptr && p->exists && p->life != Life::Alive);
      break;
    }
    case NativeHash::IS_ENTITY_A_MISSION_ENTITY: {
      const SimPed* p = w.Find(ArgPed(a, 0));
      set_bool(p != nullptr && p->exists && p->mission_entity);
      break;
    }
    case NativeHash::IS_PED_IN_COMBAT: {
      const SimPed* p = w.Find(ArgPed(a, 0));
      set_bool(p != nullptr && p->exists && p->life == Life::Alive && p->in_combat);
      break;
    }
    case NativeHash::GET_ENTITY_COORDS: {
      const SimPed* p = w.Find(ArgPed(a, 0));
      const Vector3 v = p != nullptr && p->exists ? p->pos : Vector3{};
      std::memcpy(result_, &v, sizeof v);
      call.position[0] = v.x;
      call.position[1] = v.y;
      call.position[2] = v.z;
      char buf[96];
      std::snprintf(buf, sizeof buf, "(%g, %g, %g)", static_cast<double>(v.x),
                    static_cast<double>(v.y), static_cast<double>(v.z));
      call.result_text = buf;
      break;
    }
    case NativeHash::ADD_RELATIONSHIP_GROUP: {
      const char* name = AsString(a.at(0));
      call.text[0] = Quoted(name);
      call.text[1] = "&group";
      auto* out = reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(a.at(1)));
      const Hash h = GameHash(name);
      w.groups[name] = h;
      hash_names.emplace(h, name);
      if (w.group_leaves_zero) {
        call.result_text = "wrote nothing";
      } else if (w.group_writes_8_bytes) {
        const std::uint64_t v = h;
        std::memcpy(out, &v, 8);
        call.result_text = "wrote " + Hex(v) + " (8 bytes)";
      } else {
        std::memcpy(out, &h, 4);
        call.result_text = "wrote " + Hex(h);
      }
      break;
    }
    case NativeHash::SET_RELATIONSHIP_BETWEEN_GROUPS:
      w.relations[{Arg32(a, 1), Arg32(a, 2)}] = static_cast<std::int32_t>(Arg32(a, 0));
      break;
    case NativeHash::SET_PED_RELATIONSHIP_GROUP_HASH:
      if (SimPed* p = w.Find(ArgPed(a, 0))) p->group = Arg32(a, 1);
      break;
    case NativeHash::PLAY_PED_AMBIENT_SPEECH_NATIVE: {
      const auto* block =
          reinterpret_cast<const std::uint64_t*>(static_cast<std::uintptr_t>(a.at(1)));
      const char* line = AsString(block[0]);
      std::string text = "speech{" + Quoted(line);
      for (int i = 1; i < 8; ++i) text += ", " + Hex(block[i]);
      call.text[1] = text + "}";
      if (SimPed* p = w.Find(ArgPed(a, 0))) p->last_speech = line;
      break;
    }
    case NativeHash::TASK_COMBAT_PED:
      if (SimPed* p = w.Find(ArgPed(a, 0)); p != nullptr && p->exists) {
        p->task_target = ArgPed(a, 1);
        ++p->tasks;
      }
      break;
    case NativeHash::SET_ENTITY_AS_MISSION_ENTITY:
      if (SimPed* p = w.Find(ArgPed(a, 0)); p != nullptr && p->exists) {
        // grabFromOtherScript takes a story ped away from its mission.
        if (p->story_owned && Arg32(a, 2) != 0) {
          p->story_owned = false;
          p->taken_from_story = true;
          ++w.story_peds_taken;
        }
        if (!p->story_owned) p->mission_entity = Arg32(a, 1) != 0;
      }
      break;
    case NativeHash::SET_ENTITY_AS_NO_LONGER_NEEDED: {
      // The game reads the handle behind the address and clears the whole
      // 8-byte script value there.
      auto* handle = reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(a.at(0)));
      std::int64_t value;
      std::memcpy(&value, handle, sizeof value);
      call.text[0] = "&" + std::to_string(value);
      call.handles = {static_cast<Ped>(value)};
      if (SimPed* p = w.Find(static_cast<Ped>(value)); p != nullptr && p->exists) {
        p->mission_entity = false;
        ++p->released;
      }
      const std::uint64_t cleared = 0;
      std::memcpy(handle, &cleared, sizeof cleared);
      call.result_text = "handle cleared";
      break;
    }
    case NativeHash::CLEAR_PED_TASKS_IMMEDIATELY:
      if (SimPed* p = w.Find(ArgPed(a, 0))) {
        p->in_combat = false;
        p->fleeing = false;
        p->task_target = 0;
        ++p->cleared;
      }
      break;
    case NativeHash::REMOVE_ALL_PED_WEAPONS:
      if (SimPed* p = w.Find(ArgPed(a, 0))) {
        p->weapons.clear();
        p->current_weapon = 0;
        p->off_hand_weapon = 0;
      }
      break;
    case NativeHash::SET_BLOCKING_OF_NON_TEMPORARY_EVENTS:
      if (SimPed* p = w.Find(ArgPed(a, 0))) p->blocking_events = Arg32(a, 1) != 0;
      break;
    case NativeHash::SET_PED_FLEE_ATTRIBUTES:
      if (SimPed* p = w.Find(ArgPed(a, 0))) p->flee_attributes = static_cast<int>(Arg32(a, 1));
      break;
    case NativeHash::SET_PED_COMBAT_ATTRIBUTES:
      if (SimPed* p = w.Find(ArgPed(a, 0))) {
        const auto attribute = static_cast<std::int32_t>(Arg32(a, 1));
        p->combat_attributes[attribute] = Arg32(a, 2) != 0;
        if (attribute == kAttributeAlwaysFlee && Arg32(a, 2) == 0) p->fleeing = false;
      }
      break;
    case NativeHash::SET_PED_COMBAT_ABILITY:
      if (SimPed* p = w.Find(ArgPed(a, 0))) p->combat_ability = static_cast<int>(Arg32(a, 1));
      break;
    case NativeHash::SET_PED_COMBAT_RANGE:
      if (SimPed* p = w.Find(ArgPed(a, 0))) p->combat_range = static_cast<int>(Arg32(a, 1));
      break;
    case NativeHash::SET_PED_COMBAT_MOVEMENT:
      if (SimPed* p = w.Find(ArgPed(a, 0))) p->combat_movement = static_cast<int>(Arg32(a, 1));
      break;
    case NativeHash::SET_PED_KEEP_TASK:
      if (SimPed* p = w.Find(ArgPed(a, 0))) p->keep_task = Arg32(a, 1) != 0;
      break;
    case NativeHash::GIVE_WEAPON_TO_PED:
      if (SimPed* p = w.Find(ArgPed(a, 0))) {
        p->weapons.emplace_back(Arg32(a, 1), static_cast<std::int32_t>(Arg32(a, 2)));
        // bForceInHand puts it at the attach point of the sixth argument.
        if (Arg32(a, 3) != 0)
          (Arg32(a, 5) == 1 ? p->off_hand_weapon : p->current_weapon) = Arg32(a, 1);
      }
      break;
    case NativeHash::SET_CURRENT_PED_WEAPON:
      // Attach point 0 is the primary hand, 1 the off hand, which does not shoot.
      if (SimPed* p = w.Find(ArgPed(a, 0))) {
        (Arg32(a, 3) == 1 ? p->off_hand_weapon : p->current_weapon) = Arg32(a, 1);
      }
      break;
  }
}

void Game::ReleaseScriptEntities() {
  for (SimPed& p : world.peds) {
    if (!p.story_owned) p.mission_entity = false;
  }
}

std::vector<const Call*> Game::Find(const std::string& name) const {
  std::vector<const Call*> found;
  for (const Call& c : calls) {
    if (c.name == name) found.push_back(&c);
  }
  return found;
}

std::string Game::TraceText() const {
  std::string out;
  for (const Call& c : calls) {
    out += c.Format();
    out += '\n';
  }
  return out;
}

}  // namespace ruckvale::sim
