// The six functions of the script hook (ScriptHookRDR2.dll) that the module
// imports, declared as the module calls them.
//
// The hook exports them as C++ functions with MSVC-decorated names:
//   - MSVC: plain C++ declarations produce those names by themselves.
//   - mingw-w64: the functions are declared extern "C" and an import library
//     made from packaging/ScriptHookRDR2.def maps each plain name onto the
//     decorated export (scriptWait == ?scriptWait@@YAXK@Z).
//   - other systems: extern "C" functions supplied by the simulated game.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#else
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using DWORD = std::uint32_t;
#endif

#if defined(_MSC_VER)
#define RUCKVALE_HOOK_API __declspec(dllimport)
#elif defined(_WIN32)
#define RUCKVALE_HOOK_API extern "C" __declspec(dllimport)
#else
#define RUCKVALE_HOOK_API extern "C"
#endif

// The hook later calls `script` once, on a fiber of its own; it need not return.
RUCKVALE_HOOK_API void scriptRegister(HMODULE module, void (*script)());
// The hook stops and forgets the module's script.
RUCKVALE_HOOK_API void scriptUnregister(HMODULE module);
// Suspends the script fiber; 0 resumes it on the next game frame.
RUCKVALE_HOOK_API void scriptWait(DWORD milliseconds);
// Starts a native call and empties its argument list.
RUCKVALE_HOOK_API void nativeInit(std::uint64_t hash);
// Appends one argument to the native call being built.
RUCKVALE_HOOK_API void nativePush64(std::uint64_t value);
// Runs the native; returns its result slots, 8 bytes each, valid until the next call.
RUCKVALE_HOOK_API std::uint64_t* nativeCall();
