// The knobs of the benchmarks' minimal game.
#pragma once

#include <cstdint>

namespace ruckvale::bench {

struct MinimalGame {
  bool gated = false;
  bool in_combat = true;
  std::uint32_t tick = 1000000;
  std::uint64_t natives = 0;
};
MinimalGame& Game();

// Every heap allocation of the process (allocation_counter.cpp replaces operator new).
std::uint64_t& AllocationCount();

}  // namespace ruckvale::bench
