// The names of Windows virtual-key codes, for the keys key_trigger can give.
#pragma once

#include <cstdint>
#include <string>

namespace ruckvale {

// "F12", "S", "numpad /", "Num Lock", "left Shift", ... and, for a code no
// keyboard has, "unassigned virtual key N (no key on a keyboard)".
std::string KeyCodeName(std::int32_t code);

// False for a code that no key on a keyboard sends, so it is never down.
bool KeyOnKeyboard(std::int32_t code);

}  // namespace ruckvale
