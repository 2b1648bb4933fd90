#include "host/random.h"

namespace ruckvale {

namespace {
std::uint32_t g_random_state = 1;
}

void SeedRandom(std::uint32_t seed) {
  g_random_state = seed;
}

int NextRandom() {
  g_random_state = g_random_state * 214013u + 2531011u;
  return static_cast<int>((g_random_state >> 16) & 0x7FFFu);
}

}  // namespace ruckvale
