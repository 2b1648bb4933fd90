// The hook functions and the two Windows functions, as the simulated game
// provides them to the module on POSIX systems. Each marks that the game,
// not the module, is running (see GameScope).
#include "host/hook.h"
#include "host/system.h"
#include "sim/game.h"

using ruckvale::sim::ActiveGame;
using ruckvale::sim::GameScope;

extern "C" void scriptRegister(HMODULE module, void (*script)()) {
  GameScope scope;
  ActiveGame()->ScriptRegister(module, script);
}
extern "C" void scriptUnregister(HMODULE module) {
  GameScope scope;
  ActiveGame()->ScriptUnregister(module);
}
// The game records the call in a scope of its own, then yields to the next frame.
extern "C" void scriptWait(DWORD ms) {
  ActiveGame()->ScriptWait(ms);
}
extern "C" void nativeInit(std::uint64_t hash) {
  GameScope scope;
  ActiveGame()->NativeInit(hash);
}
extern "C" void nativePush64(std::uint64_t value) {
  GameScope scope;
  ActiveGame()->NativePush64(value);
}
extern "C" std::uint64_t* nativeCall() {
  GameScope scope;
  return ActiveGame()->NativeCall();
}
extern "C" std::uint32_t GetTickCount() {
  GameScope scope;
  return ActiveGame()->GetTickCount();
}
extern "C" std::int16_t GetAsyncKeyState(int key) {
  GameScope scope;
  return ActiveGame()->GetAsyncKeyState(key);
}
extern "C" HWND GetForegroundWindow() {
  GameScope scope;
  return reinterpret_cast<HWND>(ActiveGame()->GetForegroundWindow());
}
extern "C" std::uint32_t GetWindowThreadProcessId(HWND window, std::uint32_t* process_id) {
  GameScope scope;
  return ActiveGame()->GetWindowThreadProcessId(reinterpret_cast<std::uintptr_t>(window),
                                                process_id);
}
extern "C" std::uint32_t GetCurrentProcessId() {
  GameScope scope;
  return ActiveGame()->GetCurrentProcessId();
}
