// What a line of Ruckvale.ini did, in words: the ini checker prints it, the
// module's log writes it. Allocates; for start-up and tools, never a frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/ini_line.h"

namespace ruckvale {

// Bytes as they stand, control bytes and bytes above 0x7E escaped ("\x1A"),
// cut after `limit` bytes with their count.
std::string ShownBytes(std::string_view bytes, std::size_t limit = 60);

// A setting's value as the ini would write it: "50", "true", "F12",
// "Ctrl+F9", "RB+DPAD_DOWN", "none".
std::string SettingValueText(SettingKey key, const SettingValue& value);

// "Ctrl", "Shift" or "Alt" for a modifier's virtual-key code; "" for none.
std::string ModifierName(std::int32_t modifier);

// A key and its modifier (0: none) as the ini writes them: "Ctrl+F9", "T";
// a code no ini name gives by its name and code.
std::string KeyBindingText(std::int32_t code, std::int32_t modifier);

// "sets fight_timer to 60", "ignored: no '='", "unreadable value 'x' for ...".
std::string DescribeIniLine(const IniLine& line);

// The settings that differ, in the table's order, as "fight_radius 50 -> 20,
// key_trigger F12 -> F11"; empty when none does.
std::string ChangedSettings(const FightSettings& before, const FightSettings& after);

}  // namespace ruckvale
