// A global allocator for the allocation tests: counts the module's own
// allocations (those made while the module's code runs, not the game's) and
// can fail chosen ones with std::bad_alloc.
#pragma once

#include <cstdint>

namespace ruckvale::testing_support {

struct AllocationControl {
  std::uint64_t module_allocations = 0;  // counted while the module runs
  std::uint64_t fail_at = 0;             // fail the allocation with this count (0: none)
  bool fail_all = false;                 // fail every module allocation
  bool failed = false;                   // a failure was injected
};
AllocationControl& Allocations();

}  // namespace ruckvale::testing_support
