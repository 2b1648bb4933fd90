// The smallest game that answers the module's calls, so that a benchmark
// counts the module's own cost and not the simulated game's: 32 human peds
// around the player, all existing, alive and (as the benchmark says) in
// combat or not; the answers come from a few fixed values.
#include "minimal_game.h"
#include "host/module_state.h"

#include <cstring>

#include "fight/fight_state.h"
#include "fight/weapons.h"
#include "host/hook.h"
#include "host/native_list.h"
#include "host/random.h"
#include "host/script_main.h"
#include "host/system.h"
#include "settings/fight_settings.h"

namespace ruckvale::bench {

MinimalGame& Game() {
  static MinimalGame game;
  return game;
}

void FreshModule(int group_size) {
  Module() = ModuleState{};
  Module().settings.fight_group_size = group_size;
  Module().settings.fight_timer = 1000000;
  Module().main_loop.has_rolled = true;
  Module().main_loop.last_roll_tick = Game().tick;
  ResetFightState(Module().fight);
  BuildWeaponCatalogue(Module().catalogue);
  SeedRandom(Module().random_state, 1);
  Game() = MinimalGame{};
}

}  // namespace ruckvale::bench

namespace {

using ruckvale::NativeHash;
using ruckvale::bench::Game;

std::uint64_t g_hash = 0;
std::uint64_t g_args[16];
int g_arg_count = 0;
std::uint64_t g_result[4];

}  // namespace

extern "C" void scriptRegister(HMODULE, void (*)()) {}
extern "C" void scriptUnregister(HMODULE) {}
extern "C" void scriptWait(DWORD) {}
extern "C" void nativeInit(std::uint64_t hash) {
  g_hash = hash;
  g_arg_count = 0;
}
extern "C" void nativePush64(std::uint64_t value) {
  if (g_arg_count < 16) g_args[g_arg_count++] = value;
}
extern "C" std::uint64_t* nativeCall() {
  auto& game = Game();
  ++game.natives;
  g_result[0] = 0;
  switch (static_cast<NativeHash>(g_hash)) {
    case NativeHash::PLAYER_PED_ID:
      g_result[0] = 1;
      break;
    case NativeHash::GET_PED_RESET_FLAG:
      g_result[0] = game.gated ? 1 : 0;
      break;
    case NativeHash::GET_PED_NEARBY_PEDS: {
      auto* buffer = reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(g_args[1]));
      // 8-byte slots, as the game lays the list out: the size in slot 0.
      const std::uint64_t size = 32;
      std::memcpy(buffer, &size, 8);
      for (int k = 1; k <= 32; ++k) {
        const std::uint64_t handle = 100 + static_cast<std::uint64_t>(k);
        std::memcpy(buffer + 8 * k, &handle, 8);
      }
      g_result[0] = 32;
      break;
    }
    case NativeHash::DOES_ENTITY_EXIST:
    case NativeHash::IS_PED_HUMAN:
      g_result[0] = 1;
      break;
    case NativeHash::IS_PED_IN_COMBAT:
      g_result[0] = game.in_combat ? 1 : 0;
      break;
    case NativeHash::GET_ENTITY_COORDS: {
      const float xyz[3] = {static_cast<float>(g_args[0] % 7), 1.0f, 0.0f};
      for (int i = 0; i < 3; ++i) std::memcpy(&g_result[i], &xyz[i], 4);
      break;
    }
    case NativeHash::GET_HASH_KEY:
      g_result[0] = 0x1234u + static_cast<std::uint32_t>(g_args[0] & 0xFF);
      break;
    case NativeHash::ADD_RELATIONSHIP_GROUP: {
      const std::uint32_t h = 0xBEEF;
      std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(g_args[1])), &h, 4);
      break;
    }
    default:
      break;
  }
  return g_result;
}
extern "C" std::uint32_t GetTickCount() {
  return Game().tick;
}
extern "C" std::int16_t GetAsyncKeyState(int) {
  return 0;
}
// The game's window has the foreground.
extern "C" HWND GetForegroundWindow() {
  return reinterpret_cast<HWND>(std::uintptr_t{1});
}
extern "C" std::uint32_t GetWindowThreadProcessId(HWND, std::uint32_t* process_id) {
  if (process_id != nullptr) *process_id = 7;
  return 8;
}
extern "C" std::uint32_t GetCurrentProcessId() {
  return 7;
}
