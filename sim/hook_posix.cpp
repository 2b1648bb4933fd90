// The hook functions and the two Windows functions, as the simulated game
// provides them to the module on POSIX systems.
#include "host/hook.h"
#include "host/system.h"
#include "sim/game.h"

using ruckvale::sim::ActiveGame;

extern "C" void scriptRegister(HMODULE module, void (*script)()) {
  ActiveGame()->ScriptRegister(module, script);
}
extern "C" void scriptUnregister(HMODULE module) { ActiveGame()->ScriptUnregister(module); }
extern "C" void scriptWait(DWORD ms) { ActiveGame()->ScriptWait(ms); }
extern "C" void nativeInit(std::uint64_t hash) { ActiveGame()->NativeInit(hash); }
extern "C" void nativePush64(std::uint64_t value) { ActiveGame()->NativePush64(value); }
extern "C" std::uint64_t* nativeCall() { return ActiveGame()->NativeCall(); }
extern "C" std::uint32_t GetTickCount() { return ActiveGame()->GetTickCount(); }
extern "C" std::int16_t GetAsyncKeyState(int key) { return ActiveGame()->GetAsyncKeyState(key); }
