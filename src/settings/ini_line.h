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
  pad_trigger,
  toggle_key,
  start_enabled,
  log,
  lawmen_fight,
  law_steps_in,
  reload_key,
  notify,
  probe,
};
inline constexpr int kSettingKeyCount = 23;

// The Windows virtual-key codes of F1 and F24; "F<n>" gives F1's code + n - 1.
inline constexpr std::int32_t kVirtualKeyF1 = 112;
inline constexpr std::int32_t kVirtualKeyF24 = 135;

// Integer: a whole number; Float: a number; Boolean: "1" or "true" is true,
// anything else false; KeyCode: an optional "Ctrl+", "Shift+" or "Alt+" and
// a key; PadCombo: two different gamepad controls joined by "+". A KeyCode or
// PadCombo key whose default is "none" also takes "none": off.
enum class SettingType : std::uint8_t { Integer, Float, Boolean, KeyCode, PadCombo };

// One row per key: its name, its kind, its default as the shipped ini and the
// README write it, and for a weapon chance the category's index in the draw.
struct SettingKeyInfo {
  std::string_view name;
  SettingType type;
  std::string_view default_text;
  std::int8_t weapon_category = -1;
};
// Indexed by SettingKey, in the order of the settings file's documentation.
// A constant the compiler builds: no code runs to fill it.
inline constexpr SettingKeyInfo kSettingKeys[kSettingKeyCount] = {
    {"fight_timer", SettingType::Integer, "60"},
    {"fight_chance", SettingType::Integer, "25"},
    {"fight_radius", SettingType::Float, "50.0"},
    {"fight_group_size", SettingType::Integer, "2"},
    {"humans_only", SettingType::Boolean, "true"},
    {"melee_chance", SettingType::Integer, "50", 0},
    {"revolver_chance", SettingType::Integer, "5", 1},
    {"pistol_chance", SettingType::Integer, "5", 2},
    {"shotgun_chance", SettingType::Integer, "3", 3},
    {"rifle_chance", SettingType::Integer, "2", 4},
    {"repeater_chance", SettingType::Integer, "5", 5},
    {"throwables_chance", SettingType::Integer, "10", 6},
    {"bow_chance", SettingType::Integer, "10", 7},
    {"key_trigger", SettingType::KeyCode, "F12"},
    {"pad_trigger", SettingType::PadCombo, "none"},
    {"toggle_key", SettingType::KeyCode, "none"},
    {"start_enabled", SettingType::Boolean, "true"},
    {"log", SettingType::Boolean, "false"},
    {"lawmen_fight", SettingType::Boolean, "true"},
    {"law_steps_in", SettingType::Boolean, "false"},
    {"reload_key", SettingType::KeyCode, "none"},
    {"notify", SettingType::Boolean, "false"},
    {"probe", SettingType::Boolean, "false"},
};

enum class IniLineKind : std::uint8_t {
  Empty,       // nothing on the line
  NoEquals,    // no "=" on the line
  UnknownKey,  // the bytes before the first "=" name no key exactly
  Sets,        // the line sets `key` to `value`
  Unreadable,  // no number of the key's syntax, or one that does not fit: nothing set
  NoKeyCode,   // a key value that yields no key code: the key unchanged
  NoPadCombo,  // a pad_trigger value that is not two different controls: unchanged
};

// Why an unknown key failed, when it is close to a real one.
enum class NearMiss : std::uint8_t {
  None,
  Blanks,  // the key matches once the blanks around it are removed
  Case,    // the key matches in another case
};

struct SettingValue {
  std::int32_t integer = 0;   // Integer and KeyCode keys (-1: no key)
  float real = 0.0f;          // fight_radius
  bool boolean = false;       // Boolean keys
  std::int32_t modifier = 0;  // KeyCode keys: the modifier's code, 0 none
  std::int8_t pad_hold = -1;  // PadCombo: indexes into kPadControls
  std::int8_t pad_press = -1;
};

struct IniLine {
  IniLineKind kind = IniLineKind::Empty;
  SettingKey key = SettingKey::fight_timer;  // for Sets, Unreadable and NoKeyCode
  std::string_view key_text;                 // the bytes before the first "="
  std::string_view value_text;               // the bytes after it
  SettingValue value;                        // for Sets
  std::string_view ignored_tail;  // value bytes after the number (Integer, Float, F-form)
  // A key: the value was read as an F-key ("F" and a number, 3 bytes at
  // most), whatever code that gave; otherwise as a letter.
  bool key_f_form = false;
  // A key: the modifier prefix ("Ctrl+" ...) was read; the key follows it.
  std::string_view modifier_text;
  // pad_trigger: the number of "+"-joined parts, and the first unknown one.
  int pad_parts = 0;
  std::string_view pad_unknown;
  // pad_trigger: two known controls, the same one twice; it could never fire,
  // as one control cannot be held while it is released.
  bool pad_twice = false;
  NearMiss near_miss = NearMiss::None;  // for UnknownKey
  bool out_of_range = false;            // for Unreadable: a number too large or too small
  SettingKey near_key = SettingKey::fight_timer;
};

// The value that switches a key or pad setting off, where its default is off.
inline constexpr std::string_view kOffValue = "none";

// Decides what `line` (without its line end) means. Never throws; the views in
// the result point into `line`.
IniLine InterpretIniLine(std::string_view line) noexcept;

// Stores the value of a Sets line; every other kind changes nothing.
void ApplyIniLine(const IniLine& line, FightSettings& settings) noexcept;

// The value of one setting, as the checker prints it.
SettingValue GetSetting(const FightSettings& settings, SettingKey key) noexcept;

// The index in kPadControls of the control named exactly `name`, or -1.
int PadControlIndex(std::string_view name) noexcept;

}  // namespace ruckvale
