// The game's name hash: Jenkins one-at-a-time over the lower-cased name.
#pragma once

#include <cstdint>
#include <string_view>

namespace ruckvale::sim {

constexpr std::uint32_t GameHash(std::string_view name) {
  std::uint32_t h = 0;
  for (const char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    h += (c >= 'A' && c <= 'Z') ? c + 32u : c;
    h += h << 10;
    h ^= h >> 6;
  }
  h += h << 3;
  h ^= h >> 11;
  h += h << 15;
  return h;
}

}  // namespace ruckvale::sim
