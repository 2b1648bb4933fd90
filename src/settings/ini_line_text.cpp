#include "settings/ini_line_text.h"

#include <cstdio>

#include "settings/key_names.h"

namespace ruckvale {

namespace {

std::string KeyName(SettingKey key) {
  return std::string(kSettingKeys[static_cast<int>(key)].name);
}

// A key as the ini writes it ("F10", "T"); a code no ini name gives (F0 is
// the numpad's '/') by its name and code.
std::string KeyIniName(std::int32_t code) {
  const bool f_key = code >= kVirtualKeyF1 && code <= kVirtualKeyF24;
  if (f_key || (code >= 'A' && code <= 'Z')) return KeyCodeName(code);
  return KeyCodeName(code) + " (virtual key " + std::to_string(code) + ")";
}

std::string UnknownKeyText(const IniLine& line) {
  const std::string shown = ShownBytes(line.key_text);
  if (line.near_miss == NearMiss::Blanks) {
    return "ignored: the key '" + shown + "' does not match '" + KeyName(line.near_key) +
           "'; blanks around '=' are not allowed";
  }
  if (line.near_miss == NearMiss::Case) {
    return "ignored: unknown key '" + shown + "' (keys are case-sensitive: '" +
           KeyName(line.near_key) + "')";
  }
  if (line.key_text.rfind("\xEF\xBB\xBF", 0) == 0) {
    return "ignored: unknown key '" + shown +
           "' (the file starts with a UTF-8 byte-order mark; save it without one)";
  }
  return "ignored: unknown key '" + shown + "'";
}

std::string UnreadableText(const IniLine& line) {
  const std::string shown = ShownBytes(line.value_text);
  if (!line.out_of_range) {
    return "unreadable value '" + shown + "' for " + KeyName(line.key) + ", line skipped";
  }
  return "value '" + shown + "' for " + KeyName(line.key) +
         (line.key == SettingKey::fight_radius
              ? " is out of range (beyond 3.4e38, or too close to 0)"
              : " is too large (beyond -2147483648 to 2147483647)") +
         ", line skipped";
}

std::string NoPadComboText(const IniLine& line) {
  std::string text = "ignored: '" + ShownBytes(line.value_text) + "' is no pad_trigger (";
  if (line.pad_twice) {
    return text +
           "one control twice: it cannot be held while it is released, so it never "
           "fires; name two different controls, as in RB+DPAD_DOWN)";
  }
  if (!line.pad_unknown.empty() || line.pad_parts == 1) {
    if (line.pad_parts == 1 && line.pad_unknown.empty()) {
      return text + "two controls are needed, one held and one released, as in RB+DPAD_DOWN)";
    }
    return text + "'" + ShownBytes(line.pad_unknown) +
           "' is no control: use A, B, X, Y, LB, RB, LT, RT, LS, RS, DPAD_UP, DPAD_DOWN, "
           "DPAD_LEFT or DPAD_RIGHT)";
  }
  return text + "two controls joined by '+', as in RB+DPAD_DOWN)";
}

// "ctrl+", "SHIFT+", ...: a modifier written in another case than the
// reader's "Ctrl+", "Shift+" or "Alt+"; the right spelling, or "".
std::string_view MisspeltModifier(std::string_view key) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  for (const std::string_view modifier : {"Ctrl+", "Shift+", "Alt+"}) {
    if (key.size() < modifier.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < modifier.size() && same; ++i) {
      same = lower(key[i]) == lower(modifier[i]);
    }
    if (same) return modifier;
  }
  return {};
}

bool Lower(char c) {
  return c >= 'a' && c <= 'z';
}

bool Digit(char c) {
  return c >= '0' && c <= '9';
}

// "f9" as the reader would take it ("F9"), for a lower-case letter alone or
// an "f" and one or two digits; "" for anything else.
std::string InCapitals(std::string_view key) {
  const bool letter = key.size() == 1 && key[0] != 'f';  // "F" alone is an F-form without a number
  const bool f_key = key.size() >= 2 && key.size() <= 3 && key[0] == 'f' && Digit(key[1]) &&
                     (key.size() == 2 || Digit(key[2]));
  if (!letter && !f_key) return "";
  std::string capitals(key);
  capitals[0] = static_cast<char>(capitals[0] - 'a' + 'A');
  return capitals;
}

// Why a key value yields no code: what follows the modifier, if any.
std::string NoKeyCodeReason(const IniLine& line) {
  const std::string_view key = line.value_text.substr(line.modifier_text.size());
  if (key.empty()) {
    return line.modifier_text.empty() ? "the value is empty"
                                      : "a modifier needs a key after it, as in Ctrl+F9";
  }
  if (key == kOffValue) return KeyName(line.key) + " cannot be switched off";
  if (key[0] == ' ' || key[0] == '\t') return "no blanks around the key";
  if (const std::string_view modifier = MisspeltModifier(key); !modifier.empty()) {
    return "modifiers are case-sensitive: write '" + std::string(modifier) + "'";
  }
  if (Lower(key[0])) {
    const std::string capitals = InCapitals(key);
    return "key names are capitals" +
           (capitals.empty() ? std::string() : ": write '" + capitals + "'");
  }
  if (Digit(key[0])) return "a digit key has no name here";
  return "a key name begins with a capital letter";
}

}  // namespace

std::string ShownBytes(std::string_view bytes, std::size_t limit) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  if (bytes.size() > limit) out += "... (" + std::to_string(bytes.size()) + " bytes)";
  return out;
}

std::string SettingValueText(SettingKey key, const SettingValue& v) {
  switch (kSettingKeys[static_cast<int>(key)].type) {
    case SettingType::Float: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v.real));
      return buf;
    }
    case SettingType::Boolean:
      return v.boolean ? "true" : "false";
    case SettingType::KeyCode:
      if (v.integer < 0) return "none";
      return KeyBindingText(v.integer, v.modifier);
    case SettingType::PadCombo:
      if (v.pad_hold < 0 || v.pad_press < 0) return "none";
      return std::string(kPadControls[v.pad_hold].name) + "+" + kPadControls[v.pad_press].name;
    case SettingType::Integer:
      break;
  }
  return std::to_string(v.integer);
}

std::string DescribeIniLine(const IniLine& line) {
  switch (line.kind) {
    case IniLineKind::Empty:
      return "empty";
    case IniLineKind::NoEquals:
      return "ignored: no '='";
    case IniLineKind::UnknownKey:
      return UnknownKeyText(line);
    case IniLineKind::Unreadable:
      return UnreadableText(line);
    case IniLineKind::NoKeyCode:
      return "ignored: '" + ShownBytes(line.value_text) + "' is no key for " + KeyName(line.key) +
             " (" + NoKeyCodeReason(line) +
             "; use F1 to F24 or a capital letter A to Z, after Ctrl+, Shift+ or Alt+ if you like)";
    case IniLineKind::NoPadCombo:
      return NoPadComboText(line);
    case IniLineKind::Sets: {
      std::string text =
          "sets " + KeyName(line.key) + " to " + SettingValueText(line.key, line.value);
      if (line.value_text == kOffValue) text += ": off";
      if (!line.ignored_tail.empty()) {
        text += "; value after the number ignored: '" + ShownBytes(line.ignored_tail) + "'";
      }
      return text;
    }
  }
  return "";
}

std::string ModifierName(std::int32_t modifier) {
  switch (modifier) {
    case kVirtualKeyControl:
      return "Ctrl";
    case kVirtualKeyShift:
      return "Shift";
    case kVirtualKeyAlt:
      return "Alt";
    default:
      return "";
  }
}

std::string KeyBindingText(std::int32_t code, std::int32_t modifier) {
  return (modifier != 0 ? ModifierName(modifier) + "+" : "") + KeyIniName(code);
}

std::string ChangedSettings(const FightSettings& before, const FightSettings& after) {
  std::string changed;
  for (int i = 0; i < kSettingKeyCount; ++i) {
    const auto key = static_cast<SettingKey>(i);
    const std::string was = SettingValueText(key, GetSetting(before, key));
    const std::string now = SettingValueText(key, GetSetting(after, key));
    if (was == now) continue;
    if (!changed.empty()) changed += ", ";
    changed.append(kSettingKeys[i].name).append(" ").append(was).append(" -> ").append(now);
  }
  return changed;
}

}  // namespace ruckvale
