// The settings reader's fuzz body, shared by the libFuzzer target and by the
// test that replays the saved inputs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ruckvale::fuzz {

// Reads `data` as a whole Ruckvale.ini and checks what must hold whatever the
// bytes: nothing thrown, key_trigger within 0 to 255, each line's views inside
// the line. Aborts on a violation.
void ReadSettingsOnce(const std::uint8_t* data, std::size_t size);

}  // namespace ruckvale::fuzz
