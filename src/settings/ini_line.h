// What one line of Ruckvale.ini means. The module applies it silently; the ini
// checker prints it. Both go through InterpretIniLine, so they never disagree.
#pragma once

#include <cstdint>
#include <string_view>

#include "settings/fight_settings.h"

namespace ruckvale {

enum class SettingKey : std::uint8_t {
  fight_timer,
  fight_chance,
  fight_radius,
  fight_group_size,
  humans_only,
  melee_chance,
  revolver_chance,
  pistol_chance,
  shotgun_chance,
  rifle_chance,
  repeater_chance,
  throwables_chance,
  bow_chance,
  key_trigger,
};
inline constexpr int kSettingKeyCount = 14;

// The Windows virtual-key codes of F1 and F24; "F<n>" gives F1's code + n - 1.
inline constexpr std::int32_t kVirtualKeyF1 = 112;
inline constexpr std::int32_t kVirtualKeyF24 = 135;

enum class SettingType : std::uint8_t { Integer, Float, Boolean, KeyCode };

struct SettingKeyInfo {
  std::string_view name;
  SettingType type;
};
// Indexed by SettingKey, in the order of the settings file's documentation.
// A constant the compiler builds: no code runs to fill it.
inline constexpr SettingKeyInfo kSettingKeys[kSettingKeyCount] = {
    {"fight_timer", SettingType::Integer},     {"fight_chance", SettingType::Integer},
    {"fight_radius", SettingType::Float},      {"fight_group_size", SettingType::Integer},
    {"humans_only", SettingType::Boolean},     {"melee_chance", SettingType::Integer},
    {"revolver_chance", SettingType::Integer}, {"pistol_chance", SettingType::Integer},
    {"shotgun_chance", SettingType::Integer},  {"rifle_chance", SettingType::Integer},
    {"repeater_chance", SettingType::Integer}, {"throwables_chance", SettingType::Integer},
    {"bow_chance", SettingType::Integer},      {"key_trigger", SettingType::KeyCode},
};

enum class IniLineKind : std::uint8_t {
  Empty,       // nothing on the line
  NoEquals,    // no "=" on the line
  UnknownKey,  // the bytes before the first "=" name no key exactly
  Sets,        // the line sets `key` to `value`
  Unreadable,  // no number of the key's syntax, or one that does not fit: nothing set
  NoKeyCode,   // key_trigger value that yields no key code: key_trigger unchanged
};

// Why an unknown key failed, when it is close to a real one.
enum class NearMiss : std::uint8_t {
  None,
  Blanks,  // the key matches once the blanks around it are removed
  Case,    // the key matches in another case
};

struct SettingValue {
  std::int32_t integer = 0;  // Integer and KeyCode keys
  float real = 0.0f;         // fight_radius
  bool boolean = false;      // humans_only
};

struct IniLine {
  IniLineKind kind = IniLineKind::Empty;
  SettingKey key = SettingKey::fight_timer;  // for Sets, Unreadable and NoKeyCode
  std::string_view key_text;                 // the bytes before the first "="
  std::string_view value_text;               // the bytes after it
  SettingValue value;                        // for Sets
  std::string_view ignored_tail;  // value bytes after the number (Integer, Float, F-form)
  // key_trigger: the value was read as an F-key ("F" and a number, 3 bytes at
  // most), whatever code that gave; otherwise as a letter.
  bool key_f_form = false;
  NearMiss near_miss = NearMiss::None;  // for UnknownKey
  bool out_of_range = false;            // for Unreadable: a number too large or too small
  SettingKey near_key = SettingKey::fight_timer;
};

// Decides what `line` (without its line end) means. Never throws; the views in
// the result point into `line`.
IniLine InterpretIniLine(std::string_view line) noexcept;

// Stores the value of a Sets line; every other kind changes nothing.
void ApplyIniLine(const IniLine& line, FightSettings& settings) noexcept;

// The value of one setting, as the checker prints it.
SettingValue GetSetting(const FightSettings& settings, SettingKey key) noexcept;

}  // namespace ruckvale
