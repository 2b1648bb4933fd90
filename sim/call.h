// One recorded call across the module's boundary: a hook function, a Windows
// function or a game native, with every argument and its result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ruckvale::sim {

enum class CallKind : std::uint8_t { Hook, Windows, Native };

struct Call {
  CallKind kind = CallKind::Native;
  std::string name;                 // "GET_PED_NEARBY_PEDS", "scriptWait", "GetTickCount"
  std::uint64_t native = 0;         // a native's hash as the module pushed it; 0 for the others
  std::vector<std::uint64_t> args;  // as pushed; addresses are raw here
  std::vector<std::string> text;    // per argument: the content behind an address, else empty
  std::uint64_t result = 0;         // slot 0, or the function's result
  std::string result_text;          // what the game wrote through addresses, if anything
  // Handles and ids the game read or wrote through an address: the nearby
  // list, a released handle, the process id of a window.
  std::vector<std::int32_t> handles;
  float position[3] = {};  // GET_ENTITY_COORDS: the position answered
  std::uint64_t frame = 0;

  // Name, arguments and result with addresses replaced by their content, so
  // that the same run prints the same text on every platform.
  std::string Format() const;
};

}  // namespace ruckvale::sim
