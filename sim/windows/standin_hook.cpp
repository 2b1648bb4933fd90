// The simulator's stand-in for ScriptHookRDR2.dll, built and shipped as
// ruckvale-standin-hook.dll: the hook's six exports, under their decorated
// names (standin_hook.def), forwarding to the table the simulator binds. The
// simulator hands Ruckvale.asi a copy under the hook's name for the length of
// a run. Never put it into a game folder: it runs no game.
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
