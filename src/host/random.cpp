#include "host/random.h"

namespace ruckvale {

void SeedRandom(std::uint32_t& state, std::uint32_t seed) {
  state = seed;
}

int NextRandom(std::uint32_t& state) {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFFu);
}

}  // namespace ruckvale
