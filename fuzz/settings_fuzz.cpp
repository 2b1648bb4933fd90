// libFuzzer target: arbitrary bytes as Ruckvale.ini.
#include <cstddef>
#include <cstdint>

#include "fuzz/settings_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ruckvale::fuzz::ReadSettingsOnce(data, size);
  return 0;
}
