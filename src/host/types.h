// Value types shared by the whole module.
#pragma once

#include <cstdint>

namespace ruckvale {

// A ped handle as the natives pass it.
using Ped = std::int32_t;
// The hash of a name as GET_HASH_KEY computes it.
using Hash = std::uint32_t;

// A position as the natives return it: three floats, each in its own 8-byte slot.
struct Vector3 {
  alignas(8) float x;
  alignas(8) float y;
  alignas(8) float z;
};
static_assert(sizeof(Vector3) == 24);

}  // namespace ruckvale
