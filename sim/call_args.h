// Reading the arguments of a recorded call as the game reads them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/types.h"

namespace ruckvale::sim {

// A string or buffer argument: the address the module pushed.
template <typename T = char>
T* AtAddress(std::uint64_t address) {
  return reinterpret_cast<T*>(static_cast<std::uintptr_t>(address));
}

// Argument i as a ped handle or a 32-bit value (0 when it was not pushed).
inline Ped ArgPed(const std::vector<std::uint64_t>& args, std::size_t i) {
  return i < args.size() ? static_cast<Ped>(static_cast<std::uint32_t>(args[i])) : 0;
}
inline std::uint32_t Arg32(const std::vector<std::uint64_t>& args, std::size_t i) {
  return i < args.size() ? static_cast<std::uint32_t>(args[i]) : 0u;
}

// "0x1F": how the trace writes a value.
std::string HexText(std::uint64_t v);

}  // namespace ruckvale::sim
