#include "settings/ini_line.h"

#include <utility>

#include "settings/number_reader.h"

namespace ruckvale {

namespace {

bool FindKey(std::string_view text, SettingKey& key) {
  for (int i = 0; i < kSettingKeyCount; ++i) {
    if (kSettingKeys[i].name == text) {
      key = static_cast<SettingKey>(i);
      return true;
    }
  }
  return false;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

void FindNearMiss(IniLine& line) {
  const std::string_view trimmed = TrimBlanks(line.key_text);
  for (int i = 0; i < kSettingKeyCount; ++i) {
    const std::string_view name = kSettingKeys[i].name;
    if (trimmed != line.key_text && (trimmed == name || EqualsIgnoringCase(trimmed, name))) {
      line.near_miss = NearMiss::Blanks;
    } else if (EqualsIgnoringCase(line.key_text, name)) {
      line.near_miss = NearMiss::Case;
    } else {
      continue;
    }
    line.near_key = static_cast<SettingKey>(i);
    return;
  }
}

// "Ctrl+", "Shift+" or "Alt+", written so, at the start of a key value: the
// modifier's code and the length of the prefix; {0, 0} for none.
std::pair<std::int32_t, std::size_t> ModifierPrefix(std::string_view v) {
  static constexpr std::pair<std::string_view, std::int32_t> kPrefixes[] = {
      {"Ctrl+", kVirtualKeyControl}, {"Shift+", kVirtualKeyShift}, {"Alt+", kVirtualKeyAlt}};
  for (const auto& [prefix, code] : kPrefixes) {
    if (v.substr(0, prefix.size()) == prefix) return {code, prefix.size()};
  }
  return {0, 0};
}

// The key-code rules, after an optional modifier: an F-form of at most 3
// bytes gives the number after the "F" counted from F1's code (F1..F24 are
// 112..135); otherwise a capital letter gives its own code; anything else
// gives no code.
void ReadKeyCode(IniLine& line) {
  std::string_view v = line.value_text;
  const auto [modifier, length] = ModifierPrefix(v);
  line.value.modifier = modifier;
  line.modifier_text = v.substr(0, length);
  v.remove_prefix(length);
  if (!v.empty() && v[0] == 'F' && v.size() <= 3) {
    line.key_f_form = true;
    std::int32_t n = 0;
    const NumberRead read = ReadInt32(v.substr(1), n);
    if (!read.ok) {
      line.kind = IniLineKind::Unreadable;
      line.out_of_range = read.out_of_range;
      return;
    }
    line.kind = IniLineKind::Sets;
    line.value.integer = n + kVirtualKeyF1 - 1;  // n lies in -9..99, so the code in 102..210
    line.ignored_tail = v.substr(1 + read.consumed);
    return;
  }
  if (!v.empty() && v[0] >= 'A' && v[0] <= 'Z') {
    line.kind = IniLineKind::Sets;
    line.value.integer = static_cast<unsigned char>(v[0]);
    return;
  }
  line.kind = IniLineKind::NoKeyCode;
}

// Two control names joined by "+": the first held, the second released.
void ReadPadCombo(IniLine& line) {
  std::string_view v = line.value_text;
  int found[2] = {-1, -1};
  for (;;) {
    const std::size_t plus = v.find('+');
    const std::string_view part = v.substr(0, plus);
    const int index = PadControlIndex(part);
    if (index < 0 && line.pad_unknown.empty()) line.pad_unknown = part;
    if (line.pad_parts < 2) found[line.pad_parts] = index;
    ++line.pad_parts;
    if (plus == std::string_view::npos) break;
    v.remove_prefix(plus + 1);
  }
  line.pad_twice = line.pad_parts == 2 && found[0] >= 0 && found[0] == found[1];
  if (line.pad_parts != 2 || found[0] < 0 || found[1] < 0 || line.pad_twice) {
    line.kind = IniLineKind::NoPadCombo;
    return;
  }
  line.kind = IniLineKind::Sets;
  line.value.pad_hold = static_cast<std::int8_t>(found[0]);
  line.value.pad_press = static_cast<std::int8_t>(found[1]);
}

}  // namespace

int PadControlIndex(std::string_view name) noexcept {
  for (int i = 0; i < kPadControlCount; ++i) {
    if (name == kPadControls[i].name) return i;
  }
  return -1;
}

IniLine InterpretIniLine(std::string_view text) noexcept {
  IniLine line;
  if (text.empty()) {
    line.kind = IniLineKind::Empty;
    return line;
  }
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    line.kind = IniLineKind::NoEquals;
    return line;
  }
  line.key_text = text.substr(0, equals);
  line.value_text = text.substr(equals + 1);
  if (!FindKey(line.key_text, line.key)) {
    line.kind = IniLineKind::UnknownKey;
    FindNearMiss(line);
    return line;
  }

  const std::string_view v = line.value_text;
  const SettingKeyInfo& info = kSettingKeys[static_cast<int>(line.key)];
  if (info.default_text == kOffValue && v == kOffValue) {
    // Off: no key (-1) and no modifier, or no pad controls (-1, -1).
    line.kind = IniLineKind::Sets;
    line.value.integer = -1;
    return line;
  }
  switch (info.type) {
    case SettingType::Integer: {
      const NumberRead read = ReadInt32(v, line.value.integer);
      line.kind = read.ok ? IniLineKind::Sets : IniLineKind::Unreadable;
      line.out_of_range = read.out_of_range;
      if (read.ok) line.ignored_tail = v.substr(read.consumed);
      break;
    }
    case SettingType::Float: {
      const NumberRead read = ReadFloat(v, line.value.real);
      line.kind = read.ok ? IniLineKind::Sets : IniLineKind::Unreadable;
      line.out_of_range = read.out_of_range;
      if (read.ok) line.ignored_tail = v.substr(read.consumed);
      break;
    }
    case SettingType::Boolean:
      line.kind = IniLineKind::Sets;
      line.value.boolean = v == "1" || v == "true";
      break;
    case SettingType::KeyCode:
      ReadKeyCode(line);
      break;
    case SettingType::PadCombo:
      ReadPadCombo(line);
      break;
  }
  return line;
}

namespace {

// The storage of each whole-number setting, indexed by SettingKey; nullptr
// for the others.
template <typename Settings>
auto IntegerSlot(Settings& s, SettingKey key) -> decltype(&s.fight_timer) {
  switch (key) {
    case SettingKey::fight_timer:
      return &s.fight_timer;
    case SettingKey::fight_chance:
      return &s.fight_chance;
    case SettingKey::fight_group_size:
      return &s.fight_group_size;
    case SettingKey::melee_chance:
      return &s.melee_chance;
    case SettingKey::revolver_chance:
      return &s.revolver_chance;
    case SettingKey::pistol_chance:
      return &s.pistol_chance;
    case SettingKey::shotgun_chance:
      return &s.shotgun_chance;
    case SettingKey::rifle_chance:
      return &s.rifle_chance;
    case SettingKey::repeater_chance:
      return &s.repeater_chance;
    case SettingKey::throwables_chance:
      return &s.throwables_chance;
    case SettingKey::bow_chance:
      return &s.bow_chance;
    default:
      return nullptr;
  }
}

template <typename Settings>
auto BooleanSlot(Settings& s, SettingKey key) -> decltype(&s.humans_only) {
  switch (key) {
    case SettingKey::humans_only:
      return &s.humans_only;
    case SettingKey::start_enabled:
      return &s.start_enabled;
    case SettingKey::log:
      return &s.log;
    case SettingKey::probe:
      return &s.probe;
    case SettingKey::lawmen_fight:
      return &s.lawmen_fight;
    case SettingKey::law_steps_in:
      return &s.law_steps_in;
    case SettingKey::notify:
      return &s.notify;
    default:
      return nullptr;
  }
}

// A key setting's code and modifier.
template <typename Settings>
auto KeySlots(Settings& s, SettingKey key) {
  if (key == SettingKey::toggle_key) return std::pair{&s.toggle_key, &s.toggle_key_modifier};
  if (key == SettingKey::reload_key) return std::pair{&s.reload_key, &s.reload_key_modifier};
  return std::pair{&s.key_trigger, &s.key_trigger_modifier};
}

}  // namespace

void ApplyIniLine(const IniLine& line, FightSettings& settings) noexcept {
  if (line.kind != IniLineKind::Sets) return;
  switch (kSettingKeys[static_cast<int>(line.key)].type) {
    case SettingType::Float:
      settings.fight_radius = line.value.real;
      break;
    case SettingType::Boolean:
      *BooleanSlot(settings, line.key) = line.value.boolean;
      break;
    case SettingType::KeyCode: {
      const auto [code, modifier] = KeySlots(settings, line.key);
      *code = line.value.integer;
      *modifier = line.value.modifier;
      break;
    }
    case SettingType::PadCombo:
      settings.pad_hold = line.value.pad_hold;
      settings.pad_press = line.value.pad_press;
      break;
    case SettingType::Integer:
      *IntegerSlot(settings, line.key) = line.value.integer;
      break;
  }
}

SettingValue GetSetting(const FightSettings& settings, SettingKey key) noexcept {
  SettingValue value;
  switch (kSettingKeys[static_cast<int>(key)].type) {
    case SettingType::Float:
      value.real = settings.fight_radius;
      break;
    case SettingType::Boolean:
      value.boolean = *BooleanSlot(settings, key);
      break;
    case SettingType::KeyCode: {
      const auto [code, modifier] = KeySlots(settings, key);
      value.integer = *code;
      value.modifier = *modifier;
      break;
    }
    case SettingType::PadCombo:
      value.pad_hold = settings.pad_hold;
      value.pad_press = settings.pad_press;
      break;
    case SettingType::Integer:
      value.integer = *IntegerSlot(settings, key);
      break;
  }
  return value;
}

}  // namespace ruckvale
