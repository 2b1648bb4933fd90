#include "host/random.h"

#include "host/module_state.h"

namespace ruckvale {

void SeedRandom(std::uint32_t seed) {
  Module().random_state = seed;
}

int NextRandom() {
  std::uint32_t& state = Module().random_state;
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFFu);
}

}  // namespace ruckvale
