// The module's one random generator: a linear congruential generator over an
// unsigned 32-bit state, the same sequence on every platform.
#pragma once

#include <cstdint>

namespace ruckvale {

// Sets the state to the seed.
void SeedRandom(std::uint32_t& state, std::uint32_t seed);
// state = state * 214013 + 2531011 (mod 2^32); returns bits 16 to 30 of it (0 to 32767).
int NextRandom(std::uint32_t& state);

}  // namespace ruckvale
