// What the stand-in ScriptHookRDR2.dll forwards its six exports to: the
// simulator hands it this table before it loads Ruckvale.asi.
#pragma once

#include <cstdint>

#include "host/hook.h"

namespace ruckvale::sim {

struct HookTable {
  void (*script_register)(HMODULE module, void (*script)());
  void (*script_unregister)(HMODULE module);
  void (*script_wait)(DWORD ms);
  void (*native_init)(std::uint64_t hash);
  void (*native_push64)(std::uint64_t value);
  std::uint64_t* (*native_call)();
};

// Exported by the stand-in DLL under this name.
using BindHookTableFn = void (*)(const HookTable* table);
inline constexpr char kBindHookTableExport[] = "RuckvaleSimBind";

}  // namespace ruckvale::sim
