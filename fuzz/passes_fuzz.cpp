// libFuzzer target: whole passes of the module with the game's answers taken
// from the input.
#include <cstddef>
#include <cstdint>

#include "fuzz/passes_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ruckvale::fuzz::RunPassesOnce(data, size);
  return 0;
}
