// The stand-in ScriptHookRDR2.dll of the simulator: the hook's six exports,
// under their decorated names (standin_hook.def), forwarding to the table the
// simulator binds. Never install it into a game: it runs no game.
#include <windows.h>

#include "sim/windows/hook_table.h"

namespace {
ruckvale::sim::HookTable g_table{};
}

extern "C" {

__declspec(dllexport) void RuckvaleSimBind(const ruckvale::sim::HookTable* table) {
  g_table = *table;
}

void StandInScriptRegister(HMODULE module, void (*script)()) {
  g_table.script_register(module, script);
}
void StandInScriptUnregister(HMODULE module) {
  g_table.script_unregister(module);
}
void StandInScriptWait(DWORD ms) {
  g_table.script_wait(ms);
}
void StandInNativeInit(std::uint64_t hash) {
  g_table.native_init(hash);
}
void StandInNativePush64(std::uint64_t value) {
  g_table.native_push64(value);
}
std::uint64_t* StandInNativeCall() {
  return g_table.native_call();
}

}  // extern "C"
