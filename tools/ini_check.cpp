#include "tools/ini_check.h"

#include <cstdio>
#include <iomanip>
#include <memory>

#include "fight/weapons.h"
#include "settings/ini_file.h"
#include "settings/ini_line.h"

namespace ruckvale::tools {

namespace {

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

FilePtr Open(const std::string& path) {
  return {std::fopen(path.c_str(), "rb"), &std::fclose};
}

// Shows bytes as they stand, with control bytes and bytes above 0x7E escaped.
std::string Shown(std::string_view bytes, std::size_t limit = 60) {
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

std::string ValueText(SettingKey key, const SettingValue& v) {
  switch (kSettingKeys[static_cast<int>(key)].type) {
    case SettingType::Float: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v.real));
      return buf;
    }
    case SettingType::Boolean:
      return v.boolean ? "true" : "false";
    case SettingType::KeyCode: {
      std::string text = std::to_string(v.integer);
      if (v.integer >= 112 && v.integer <= 135) {
        text += " (F" + std::to_string(v.integer - 111) + ")";
      } else if (v.integer >= 'A' && v.integer <= 'Z') {
        text += std::string(" (") + static_cast<char>(v.integer) + ")";
      }
      return text;
    }
    case SettingType::Integer:
      break;
  }
  return std::to_string(v.integer);
}

std::string_view KeyName(SettingKey key) {
  return kSettingKeys[static_cast<int>(key)].name;
}

void Explain(const IniLine& line, std::ostream& out) {
  switch (line.kind) {
    case IniLineKind::Empty:
      out << "empty";
      return;
    case IniLineKind::NoEquals:
      out << "ignored: no '='";
      return;
    case IniLineKind::UnknownKey:
      if (line.near_miss == NearMiss::Blanks) {
        out << "ignored: the key '" << Shown(line.key_text) << "' does not match '"
            << KeyName(line.near_key) << "'; blanks around '=' are not allowed";
      } else if (line.near_miss == NearMiss::Case) {
        out << "ignored: unknown key '" << Shown(line.key_text) << "' (keys are case-sensitive: '"
            << KeyName(line.near_key) << "')";
      } else if (line.key_text.rfind("\xEF\xBB\xBF", 0) == 0) {
        out << "ignored: unknown key '" << Shown(line.key_text)
            << "' (the file starts with a UTF-8 byte-order mark; save it without one)";
      } else {
        out << "ignored: unknown key '" << Shown(line.key_text) << "'";
      }
      return;
    case IniLineKind::Unreadable:
      out << "unreadable value '" << Shown(line.value_text) << "' for " << KeyName(line.key)
          << ", line skipped";
      return;
    case IniLineKind::NoKeyCode:
      out << "ignored: '" << Shown(line.value_text)
          << "' is no key for key_trigger (use F1 to F24 or a capital letter A to Z)";
      return;
    case IniLineKind::Sets:
      out << "sets " << KeyName(line.key) << " to " << ValueText(line.key, line.value);
      if (!line.ignored_tail.empty()) {
        out << "; value after the number ignored: '" << Shown(line.ignored_tail) << "'";
      }
      if (line.key == SettingKey::humans_only && !line.value.boolean && line.value_text != "0" &&
          line.value_text != "false") {
        out << " (only \"1\" and \"true\" mean true)";
      }
      if (line.key == SettingKey::key_trigger && line.value_text.size() > 3 &&
          line.value_text[0] == 'F') {
        out << " (only the first letter counts: F-keys are F1 to F24 with nothing after them)";
      }
      return;
  }
}

}  // namespace

bool ReadIniFile(const std::string& path, FightSettings& settings) {
  const FilePtr file = Open(path);
  if (!file) return false;
  IniLineReader reader(file.get());
  std::string_view line;
  while (reader.Next(line)) ApplyIniLine(InterpretIniLine(line), settings);
  return true;
}

WeaponOdds OddsOf(const FightSettings& settings) {
  WeaponOdds odds;
  for (int c = 0; c < 100; ++c) {
    const std::optional<WeaponCategory> category = CategoryForDraw(c, settings);
    ++odds.percent[category ? static_cast<int>(*category) : 8];
  }
  return odds;
}

const char* OddsRowName(int i) {
  return i < kWeaponCategoryCount ? WeaponCategoryName(static_cast<WeaponCategory>(i)) : "unarmed";
}

const char* CategoryText(const std::optional<WeaponCategory>& category) {
  return OddsRowName(category ? static_cast<int>(*category) : kWeaponCategoryCount);
}

void PrintOdds(const WeaponOdds& odds, std::ostream& out) {
  for (int i = 0; i < 9; ++i) {
    out << "  " << std::left << std::setw(10) << OddsRowName(i) << std::right << std::setw(4)
        << odds.percent[i] << " %\n";
  }
}

int CheckIni(const std::string& path, std::ostream& out, std::ostream& err) {
  const FilePtr file = Open(path);
  if (!file) {
    err << "ruckvale-sim check-ini: cannot open '" << path << "'\n";
    return 2;
  }
  FightSettings settings;
  IniLineReader reader(file.get());
  std::string_view text;
  int number = 0;
  out << "Lines of " << path << ":\n";
  try {
    while (reader.Next(text)) {
      const IniLine line = InterpretIniLine(text);
      ApplyIniLine(line, settings);
      ++number;
      // Blank lines and comments (";" or "#" first, which no key begins
      // with, so the module ignores them too) need no explanation.
      const bool comment = !text.empty() && (text[0] == ';' || text[0] == '#');
      if (line.kind == IniLineKind::Empty || (comment && line.kind != IniLineKind::Sets)) continue;
      out << "  line " << number << ": " << Shown(text) << "\n    ";
      Explain(line, out);
      out << '\n';
    }
  } catch (const std::bad_alloc&) {
    out << "  line " << number + 1 << ": too long for memory; the module stops reading here\n";
  }
  if (reader.failed()) out << "  read error after line " << number << "; the rest is not read\n";

  out << "\nEffective values:\n";
  for (int i = 0; i < kSettingKeyCount; ++i) {
    const auto key = static_cast<SettingKey>(i);
    out << "  " << std::left << std::setw(18) << KeyName(key) << std::right << ' '
        << ValueText(key, GetSetting(settings, key)) << '\n';
  }
  out << "\nWeapon odds of one fighter:\n";
  PrintOdds(OddsOf(settings), out);
  return 0;
}

}  // namespace ruckvale::tools
