// The knobs of the benchmarks' minimal game.
#pragma once

#include <cstdint>

#include "fight/fight_context.h"
#include "host/module_state.h"

namespace ruckvale::bench {

struct MinimalGame {
  bool gated = false;
  bool in_combat = true;
  std::uint32_t tick = 1000000;
  std::uint64_t natives = 0;
};
MinimalGame& Game();

// What the script does at start, without the settings file: defaults with
// this fight_group_size, a timer that never fires, the catalogue, seed 1, and
// a fresh minimal game.
void FreshModule(int group_size);
// The fight code's context on the module's state, as the script binds it.
inline FightContext Context() {
  ModuleState& m = Module();
  return FightContext{m.settings, m.catalogue, m.random_state};
}

// Every heap allocation of the process (allocation_counter.cpp replaces operator new).
std::uint64_t& AllocationCount();

}  // namespace ruckvale::bench
