#include "tools/ini_check.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <memory>
#include <vector>

#include "fight/fight_state.h"
#include "fight/weapons.h"
#include "files/run_files.h"
#include "host/main_loop_state.h"
#include "settings/ini_line.h"
#include "settings/ini_line_reader.h"
#include "settings/ini_line_text.h"
#include "settings/key_names.h"
#include "settings/load_settings.h"
#include "tools/weapon_odds.h"

namespace ruckvale::tools {

// [SECTION] Showing bytes, values and keys
// [SECTION] What one line does
// [SECTION] Warnings about one line
// [SECTION] The whole file: 0x1A, UTF-16, keys given twice, the weapon sum
// [SECTION] The trigger key and the toggle key on one key

bool ToggleOnTriggerKey(const FightSettings& s) {
  return s.toggle_key >= 0 && s.toggle_key == s.key_trigger;
}

bool ToggleIsTrigger(const FightSettings& s) {
  return ToggleOnTriggerKey(s) && s.toggle_key_modifier == s.key_trigger_modifier;
}

// One key and one modifier for both: the pass reads the trigger before the
// toggle, so a release that finds the triggers on starts a fight and then
// switches them off, and the next one switches them on without a fight.
std::optional<std::string> ToggleIsTriggerWarning(const FightSettings& s) {
  if (!ToggleIsTrigger(s)) return std::nullopt;
  return "toggle_key is the trigger key, modifier and all (" +
         KeyBindingText(s.key_trigger, s.key_trigger_modifier) +
         "): every release switches the triggers off or on, and a fight starts only on every "
         "other release, the " +
         (s.start_enabled ? "1st, 3rd, 5th" : "2nd, 4th, 6th") +
         " ... (the trigger is read first: the release that switches them off starts a fight, "
         "the one that switches them on does not)";
}

// The reload key on the trigger's or the toggle's key: the module weighs each
// binding by its own modifier, so a release that reloads also does the other
// binding's work whenever that one's modifier is down too (or it has none).
std::optional<std::string> ReloadSharesKeyWarning(const FightSettings& s) {
  if (s.reload_key < 0) return std::nullopt;
  const char* other = s.reload_key == s.key_trigger                       ? "key_trigger"
                      : s.toggle_key >= 0 && s.reload_key == s.toggle_key ? "toggle_key"
                                                                          : nullptr;
  if (other == nullptr) return std::nullopt;
  const bool fights = s.reload_key == s.key_trigger;
  return "reload_key " + KeyBindingText(s.reload_key, s.reload_key_modifier) + " is on " + other +
         "'s key: a release that reloads may also " +
         (fights ? "start a fight" : "switch the triggers") +
         ", whatever the modifiers; give reload_key a key of its own";
}

// Triggers that start switched off with nothing to switch them on.
std::optional<std::string> NeverOnWarning(const FightSettings& s) {
  if (s.start_enabled) return std::nullopt;
  if (s.toggle_key < 0) {
    return "start_enabled is false and no toggle_key is set: nothing switches the triggers on, "
           "so no fight ever starts";
  }
  if (!KeyOnKeyboard(s.toggle_key)) {
    return "start_enabled is false and toggle_key is no key on a keyboard: nothing switches the "
           "triggers on, so no fight ever starts";
  }
  return std::nullopt;
}

// The two keys on one key with different modifiers: a release counts for the
// binding whose modifier is down; one without a modifier counts only while the
// other's modifier is up. "" when they are on different keys, or identical.
std::string SharedKeyText(const FightSettings& s) {
  if (!ToggleOnTriggerKey(s) || ToggleIsTrigger(s)) return "";
  const std::string key = KeyCodeName(s.key_trigger);
  const std::int32_t fight = s.key_trigger_modifier, toggle = s.toggle_key_modifier;
  const std::string fights =
      fight != 0 ? KeyBindingText(s.key_trigger, fight) : key + " without " + ModifierName(toggle);
  const std::string toggles =
      toggle != 0 ? KeyBindingText(s.toggle_key, toggle) : key + " without " + ModifierName(fight);
  std::string text = "  one key for both: " + fights + " starts a fight; " + toggles +
                     " switches the triggers, without a fight";
  if (fight != 0 && toggle != 0) {
    text += "; with " + ModifierName(fight) + " and " + ModifierName(toggle) +
            " both down, a release does both, the fight first";
  }
  return text + "\n";
}

// [SECTION] The law

// lawmen_fight=true written out beside law_steps_in=true: the law stays out
// of the draw whatever lawmen_fight says.
std::optional<std::string> LawmenFightIgnoredWarning(const FightSettings& s,
                                                     bool lawmen_fight_written) {
  if (!lawmen_fight_written || !s.lawmen_fight || !s.law_steps_in) return std::nullopt;
  return "lawmen_fight=true has no effect while law_steps_in=true: lawmen who step in against "
         "the brawlers are never drawn as fighters";
}

// [SECTION] What to expect in play
// [SECTION] The checker's three steps
// [SECTION] Public functions

namespace {

namespace fs = std::filesystem;
using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

FilePtr Open(const std::string& path) {
  return {files::OpenFile(files::PathOf(path), "rb"), &std::fclose};
}

// [SECTION] Showing bytes, values and keys

std::string Shown(std::string_view bytes, std::size_t limit = 60) {
  return ShownBytes(bytes, limit);
}

std::string ValueText(SettingKey key, const SettingValue& v) {
  return SettingValueText(key, v);
}

std::string_view KeyName(SettingKey key) {
  return kSettingKeys[static_cast<int>(key)].name;
}

bool IsWeaponChance(SettingKey key) {
  return key >= SettingKey::melee_chance && key <= SettingKey::bow_chance;
}

// [SECTION] What one line does

void Explain(const IniLine& line, std::ostream& out) {
  out << DescribeIniLine(line);
}

// [SECTION] Warnings about one line

// Every letter is taken as bound by the game: its default keyboard binds most
// of them (W, A, S and D walk, E, F, Q, R and more), the notes hold no list of
// the free ones, and a letter's release also does what the game binds to it.
constexpr const char* kLetterAdvice =
    "most letters are bound by the game by default, and the game acts on the release too; use "
    "an F-key (F1 to F24)";

// A key value that gives another key than it seems to, or a key the game or
// Windows acts on as well.
// What the key of a key setting does, as "no key ..." ends.
const char* KeyJob(SettingKey key) {
  if (key == SettingKey::toggle_key) return "switches the triggers";
  if (key == SettingKey::reload_key) return "reloads Ruckvale.ini";
  return "fights";
}

std::optional<std::string> KeyWarning(const IniLine& line) {
  if (line.value_text == kOffValue) return std::nullopt;
  const std::string_view v = line.value_text.substr(line.modifier_text.size());
  const std::string key(KeyName(line.key));
  const std::int32_t n = line.value.integer;
  if (!line.key_f_form) {  // a capital letter gives the key
    if (v.size() > 1) {
      return key + " '" + Shown(v) + "' is read by its first letter: the " + KeyCodeName(n) +
             " key, and " + kLetterAdvice;
    }
    return key + " " + Shown(line.value_text) + ": " + kLetterAdvice;
  }
  if (n < kVirtualKeyF1 || n > kVirtualKeyF24) {
    const std::string outside =
        key + " '" + Shown(v) + "' is outside F1 to F24: it gives code " + std::to_string(n);
    if (!KeyOnKeyboard(n)) {
      return outside + ", which no key on a keyboard sends: no key " + KeyJob(line.key);
    }
    return outside + ", the " + KeyCodeName(n) + " key";
  }
  if (line.value.modifier == kVirtualKeyAlt && n == kVirtualKeyF1 + 3) {
    return key +
           " Alt+F4: Windows closes the game on Alt+F4; use another F-key, or F4 with Ctrl+ "
           "or Shift+";
  }
  return std::nullopt;
}

// A flag whose value is neither of the four plain spellings: it reads false.
std::optional<std::string> BooleanWarning(const IniLine& line) {
  const std::string_view v = line.value_text;
  if (v == "0" || v == "1" || v == "true" || v == "false") return std::nullopt;
  return std::string(KeyName(line.key)) + " '" + Shown(v) +
         "' means false: only \"1\" and \"true\" mean true";
}

// A mistake-shaped but legal value of a line that sets one.
std::optional<std::string> ValueWarning(const IniLine& line) {
  const std::int32_t n = line.value.integer;
  const std::string number = std::to_string(n);
  const std::string_view tail = line.ignored_tail;
  const bool decimal =
      tail.size() >= 2 && (tail[0] == '.' || tail[0] == ',') && tail[1] >= '0' && tail[1] <= '9';
  if (decimal && kSettingKeys[static_cast<int>(line.key)].type == SettingType::Integer) {
    return std::string(KeyName(line.key)) + " takes a whole number: '" + Shown(line.value_text) +
           "' reads " + number;
  }
  if (decimal && tail[0] == ',' && line.key == SettingKey::fight_radius) {
    char real[48];
    std::snprintf(real, sizeof real, "%g", static_cast<double>(line.value.real));
    return "fight_radius takes a decimal point, not a comma: '" + Shown(line.value_text) +
           "' reads " + real;
  }
  switch (line.key) {
    case SettingKey::fight_timer:
      if (n <= 0) return "fight_timer " + number + " rolls the timer on every frame";
      break;
    case SettingKey::fight_chance:
      if (n > 100) return "fight_chance " + number + " is above 100: every roll starts a fight";
      if (n <= 0) return "fight_chance " + number + ": the timer never starts a fight";
      break;
    case SettingKey::fight_group_size:
      if (n < 0) return "fight_group_size " + number + ": no fight ever starts";
      if (n == 0) return "fight_group_size 0: a fight has no fighters";
      if (n == 1) return "fight_group_size 1: the one fighter has nobody to fight";
      if (n > kNearbyCapacity) {
        return "fight_group_size " + number + " is never reached: the game lists at most " +
               std::to_string(kNearbyCapacity) + " peds, so no fight starts";
      }
      break;
    case SettingKey::fight_radius: {
      const float r = line.value.real;
      if (std::isnan(r)) return "fight_radius NaN removes the limit: every listed ped qualifies";
      if (std::isinf(r) && r > 0) return "fight_radius is infinite: every listed ped qualifies";
      if (r < 0) return "fight_radius is negative: no ped is that close, so no fight starts";
      if (r == 0) return "fight_radius is 0: only a ped at distance 0 qualifies";
      break;
    }
    case SettingKey::humans_only:
    case SettingKey::start_enabled:
    case SettingKey::log:
    case SettingKey::probe:
    case SettingKey::lawmen_fight:
    case SettingKey::law_steps_in:
    case SettingKey::notify:
      return BooleanWarning(line);
    case SettingKey::key_trigger:
    case SettingKey::toggle_key:
    case SettingKey::reload_key:
      return KeyWarning(line);
    default:
      if (IsWeaponChance(line.key) && n < 0) {
        return std::string(KeyName(line.key)) + " " + number +
               " is negative: it lowers the running sum, so later categories take its share";
      }
      break;
  }
  return std::nullopt;
}

// A comment: ";" or "#" first, which no key begins with, so the module
// ignores it as it ignores any unknown key.
bool IsComment(std::string_view text) {
  return !text.empty() && (text[0] == ';' || text[0] == '#');
}

// A line the module ignores, when that is probably not what was meant.
// Comments and section headers ("[...]") are meant.
bool IgnoredByMistake(const IniLine& line, std::string_view text) {
  if (line.kind == IniLineKind::Sets || line.kind == IniLineKind::Empty) return false;
  if (IsComment(text)) return false;
  return !(line.kind == IniLineKind::NoEquals && text[0] == '[');
}

// [SECTION] The whole file: 0x1A, UTF-16, keys given twice, the weapon sum

struct RawScan {
  bool utf16 = false;
  // The first byte 0x1A: the line it is on (1-based), and what follows it.
  std::int64_t eof_byte_line = 0;
  std::int64_t lines_after = 0;          // lines that start after it
  std::vector<std::string> lost_sample;  // the first few of the lines it hides
  bool bytes_after = false;
};

// Reads the file's bytes once, as bytes, for what the line reader hides.
RawScan ScanRaw(std::FILE* file) {
  RawScan scan;
  char chunk[4096];
  std::int64_t line = 1;
  bool first = true, after = false;
  std::string sample;
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
    if (first) {
      first = false;
      const auto b0 = static_cast<unsigned char>(chunk[0]);
      const auto b1 = n > 1 ? static_cast<unsigned char>(chunk[1]) : 0u;
      // A UTF-16 byte-order mark followed by UTF-16 text (or by nothing), or
      // ASCII text with every other byte 0. A mark followed by plain bytes is
      // read as bytes, as the module reads it.
      const bool bare = n <= 2;
      scan.utf16 = (b0 == 0xFF && b1 == 0xFE && (bare || (n >= 4 && chunk[3] == 0))) ||
                   (b0 == 0xFE && b1 == 0xFF && (bare || (n >= 4 && chunk[2] == 0))) ||
                   (n >= 4 && b0 != 0 && b1 == 0 && chunk[2] != 0 && chunk[3] == 0) ||
                   (n >= 4 && b0 == 0 && b1 != 0 && chunk[2] == 0 && chunk[3] != 0);
    }
    for (std::size_t i = 0; i < n; ++i) {
      const char c = chunk[i];
      if (!after) {
        if (c == '\n') ++line;
        if (c == 0x1A) {
          after = true;
          scan.eof_byte_line = line;
        }
        continue;
      }
      scan.bytes_after = true;
      if (c == '\n') {
        ++scan.lines_after;
        if (scan.lost_sample.size() < 3 && !sample.empty()) scan.lost_sample.push_back(sample);
        sample.clear();
      } else if (sample.size() < 61 && c != '\r') {
        sample += c;
      }
    }
  }
  if (after && !sample.empty() && scan.lost_sample.size() < 3) scan.lost_sample.push_back(sample);
  return scan;
}

// Per key: how many lines set it, and the last of them.
// " (2 more lines lost: 'a=1', 'b=2')": what a Ctrl+Z byte hides.
std::string LostLines(const RawScan& raw) {
  if (raw.lines_after == 0 && raw.lost_sample.empty()) return "";
  std::string text = " (" + std::to_string(std::max<std::int64_t>(raw.lines_after, 1)) +
                     " more line" + (raw.lines_after > 1 ? "s" : "") + " lost";
  for (std::size_t i = 0; i < raw.lost_sample.size(); ++i) {
    text += (i == 0 ? ": '" : ", '") + Shown(raw.lost_sample[i]) + "'";
  }
  if (raw.lines_after > static_cast<std::int64_t>(raw.lost_sample.size())) text += ", ...";
  return text + ")";
}

struct KeyUse {
  std::int64_t count = 0;
  std::int64_t first = 0;
  std::int64_t last = 0;
};

std::string LineList(std::int64_t count, std::int64_t first, std::int64_t last) {
  if (count == 2) return "lines " + std::to_string(first) + " and " + std::to_string(last);
  return std::to_string(count) + " lines, from line " + std::to_string(first) + " to line " +
         std::to_string(last);
}

// Categories with a positive chance that the running sum leaves no draw.
std::string NeverDrawn(const FightSettings& s) {
  const WeaponOdds odds = OddsOf(s);
  std::string names;
  for (int i = 0; i < kWeaponCategoryCount; ++i) {
    const SettingKey key = static_cast<SettingKey>(static_cast<int>(SettingKey::melee_chance) + i);
    if (GetSetting(s, key).integer > 0 && odds.percent[i] == 0) {
      names += std::string(names.empty() ? "" : ", ") + OddsRowName(i);
    }
  }
  return names;
}

// [SECTION] What to expect in play

void PrintOdds(const WeaponOdds& odds, std::ostream& out) {
  for (int i = 0; i < 9; ++i) {
    out << "  " << std::left << std::setw(10) << OddsRowName(i) << std::right << std::setw(4)
        << odds.percent[i] << " %\n";
  }
}

// "108,000", "60", "2.5": a count an hour, whole with thousands marked from 100 up.
std::string PerHour(double n) {
  char buf[48];
  if (n < 100) {
    std::snprintf(buf, sizeof buf, "%.3g", n);
    return buf;
  }
  const int length = std::snprintf(buf, sizeof buf, "%.0f", n);
  std::string grouped;
  for (int i = 0; i < length; ++i) {
    if (i > 0 && (length - i) % 3 == 0) grouped += ',';
    grouped += buf[i];
  }
  return grouped;
}

// How often the timer rolls; returns the rolls an hour.
double PrintTimerRolls(const FightSettings& s, std::ostream& out) {
  const std::int32_t period = TimerPeriodMs(s.fight_timer);
  if (period <= 0) {
    out << "  timer rolls: on every frame (about 108,000 an hour at 30 frames a second)\n";
    return 108000.0;
  }
  const double rolls_per_hour = 3600000.0 / period;
  char every[32];
  std::snprintf(every, sizeof every, "%g", period / 1000.0);
  out << "  timer rolls: one every " << every << " s, " << PerHour(rolls_per_hour) << " an hour\n";
  return rolls_per_hour;
}

// What starts a fight, and what switches the triggers.
void PrintTriggers(const FightSettings& s, double rolls_per_hour, std::ostream& out) {
  const double chance = std::clamp(s.fight_chance, 0, 100) / 100.0;
  const std::int32_t n = s.fight_group_size;
  out << "  timer fights: " << PerHour(rolls_per_hour * chance) << " an hour ("
      << std::lround(chance * 100) << " % of the rolls), each when at least " << n
      << (n == 1 ? " ped qualifies" : " peds qualify") << "\n";
  out << "  key fights: one on " << (ToggleIsTrigger(s) ? "every other" : "each") << " release of "
      << ValueText(SettingKey::key_trigger, GetSetting(s, SettingKey::key_trigger))
      << (s.key_trigger_modifier != 0 ? ", only while the modifier is down" : "") << "\n";
  if (s.HasPadTrigger()) {
    out << "  pad fights: one on each release of " << kPadControls[s.pad_press].name << " while "
        << kPadControls[s.pad_hold].name
        << " is held, not while the keyboard and mouse are in use\n";
  }
  if (s.toggle_key >= 0) {
    out << "  toggle: each release of "
        << ValueText(SettingKey::toggle_key, GetSetting(s, SettingKey::toggle_key))
        << " switches the timer and the triggers off or on; a running fight goes on\n";
    out << SharedKeyText(s);
  }
  if (s.reload_key >= 0) {
    out << "  reload: each release of "
        << ValueText(SettingKey::reload_key, GetSetting(s, SettingKey::reload_key))
        << " reads Ruckvale.ini again; a running fight and the on/off state go on\n";
  }
}

// What the law does near a fight.
void PrintLaw(const FightSettings& s, std::ostream& out) {
  if (s.law_steps_in) {
    out << "  the law: lawmen (REL_COP, REL_GUAMA_LAW) and the brawlers hate each other: lawmen "
           "near a fight go for the fighters, who fight back; no lawman is drawn as a fighter\n";
  } else if (!s.lawmen_fight) {
    out << "  the law: lawmen (REL_COP, REL_GUAMA_LAW) are never drawn as fighters and stay out "
           "of the fight\n";
  } else {
    out << "  the law: lawmen may be drawn as fighters like anyone (lawmen_fight=true) and do "
           "not step in (law_steps_in=false)\n";
  }
}

void PrintExpectations(const FightSettings& s, std::ostream& out) {
  out << "\nWhat to expect in play:\n";
  const std::int32_t n = s.fight_group_size;
  if (NeverOnWarning(s)) {
    // The warnings above say why.
    out << "  nothing: the triggers start switched off and nothing switches them on (no timer "
           "roll, no fight)\n";
  } else if (const double rolls_per_hour = PrintTimerRolls(s, out); n < 1 || n > kNearbyCapacity) {
    // The warnings above say why: no fight with fighters ever starts.
    out << "  fights: none with fighters (fight_group_size " << n << ")\n";
  } else {
    PrintTriggers(s, rolls_per_hour, out);
    if (!s.start_enabled) {
      out << "  the triggers start switched off: release the toggle key to switch them on\n";
    }
  }
  PrintLaw(s, out);
  if (s.notify) {
    out << "  notices: one line on screen for about 3 s when the game starts (naming "
        << ValueText(SettingKey::key_trigger, GetSetting(s, SettingKey::key_trigger)) << ")"
        << (s.toggle_key >= 0 ? ", at each toggle" : "")
        << (s.reload_key >= 0 ? ", after each reload" : "")
        << "; only when the game would show help itself\n";
  }
  if (s.log || s.probe) out << "  Ruckvale.log is written in the game's folder\n";
  if (s.probe) {
    out << "  probe: each fight's fighters are asked how they fare at 1 s and 5 s, and a verdict "
           "per open question of the game notes ends each fight in the log\n";
  }
}

}  // namespace

namespace {

// [SECTION] The checker's three steps

struct LineTally {
  std::int64_t number = 0, set = 0, ignored = 0, warnings = 0;
  KeyUse uses[kSettingKeyCount];
};

// One line: what it does, and the warnings about it.
void CheckLine(std::string_view text, const IniLine& line, const RawScan& raw, LineTally& tally,
               std::ostream& out) {
  const auto warn = [&](const std::string& what) {
    out << "    warning: " << what << '\n';
    ++tally.warnings;
  };
  const std::int64_t number = ++tally.number;
  if (line.kind == IniLineKind::Sets) {
    ++tally.set;
    KeyUse& use = tally.uses[static_cast<int>(line.key)];
    if (use.count++ == 0) use.first = number;
    use.last = number;
  }
  // Blank lines and comments need no explanation.
  const bool comment = IsComment(text);
  if (line.kind != IniLineKind::Sets && line.kind != IniLineKind::Empty && !comment) {
    ++tally.ignored;
  }
  if (line.kind == IniLineKind::Empty || (comment && line.kind != IniLineKind::Sets)) return;
  // A UTF-16 file has one warning for the whole file, not one a line.
  if (raw.utf16) return;
  out << "  line " << number << ": " << Shown(text) << "\n    ";
  Explain(line, out);
  out << '\n';
  if (line.kind == IniLineKind::Sets) {
    if (const std::optional<std::string> w = ValueWarning(line)) warn(*w);
  } else if (IgnoredByMistake(line, text) && !raw.utf16) {
    warn("this line sets nothing");
  }
  const std::size_t cr = text.find('\r');
  if (cr != std::string_view::npos && cr + 1 < text.size()) {
    warn(
        "carriage returns inside the line: old Mac line ends (CR only) make the file one "
        "line, so only its first setting counts; save with Windows or Unix line ends");
  }
}

struct CheckContext {
  const RawScan& raw;
  LineTally& tally;
  std::ostream& out;
};

// Every line as the module reads it, through the module's own reader, until
// the end or a failure.
void ReadLines(std::FILE* file, const RawScan& raw, FightSettings& settings, LineTally& tally,
               std::ostream& out) {
  IniLineReader reader(file);
  CheckContext context{raw, tally, out};
  const auto on_line = [](void* c, int, std::string_view text, const IniLine& line) {
    auto& check = *static_cast<CheckContext*>(c);
    CheckLine(text, line, check.raw, check.tally, check.out);
  };
  const ReadEnd end = ReadSettings(reader, settings, IniLineSink{on_line, &context});
  if (end == ReadEnd::OutOfMemory) {
    out << "  line " << tally.number + 1
        << ": too long for memory; the module stops reading here\n";
    ++tally.warnings;
  }
  if (end == ReadEnd::ReadError) {
    out << "  read error after line " << tally.number << "; the rest is not read\n";
    ++tally.warnings;
  }
  if (raw.utf16) {
    out << "  (" << tally.number << (tally.number == 1 ? " line" : " lines")
        << " not listed: the module reads them as bytes, and no key matches)\n";
  }
}

// What only the whole file shows: keys set twice, a Ctrl+Z byte, keys that
// undo each other, categories that are never drawn.
void FileWarnings(const RawScan& raw, const FightSettings& settings, LineTally& tally,
                  std::ostream& out) {
  for (int i = 0; i < kSettingKeyCount; ++i) {
    const KeyUse& use = tally.uses[i];
    if (use.count < 2) continue;
    out << "  warning: " << KeyName(static_cast<SettingKey>(i)) << " is set on "
        << LineList(use.count, use.first, use.last) << "; line " << use.last << " wins\n";
    ++tally.warnings;
  }
  if (raw.eof_byte_line != 0 && raw.bytes_after) {
    out << "  warning: a byte 0x1A (Ctrl+Z) on line " << raw.eof_byte_line
        << " ends the file: nothing after it is read" << LostLines(raw) << '\n';
    ++tally.warnings;
  }
  const bool lawmen_fight_written =
      tally.uses[static_cast<int>(SettingKey::lawmen_fight)].count > 0;
  for (const auto& warning : {ToggleIsTriggerWarning(settings), NeverOnWarning(settings),
                              ReloadSharesKeyWarning(settings),
                              LawmenFightIgnoredWarning(settings, lawmen_fight_written)}) {
    if (!warning) continue;
    out << "  warning: " << *warning << '\n';
    ++tally.warnings;
  }
  if (const std::string never = NeverDrawn(settings); !never.empty()) {
    out << "  warning: never drawn: " << never
        << " (the running sum of the weapon chances leaves them no draw from 0 to 99)\n";
    ++tally.warnings;
  }
}

// The values the module ends up with, what to expect, the odds, one summary line.
void Report(const FightSettings& settings, const LineTally& tally, std::ostream& out) {
  out << "\nEffective values:\n";
  for (int i = 0; i < kSettingKeyCount; ++i) {
    const auto key = static_cast<SettingKey>(i);
    out << "  " << std::left << std::setw(18) << KeyName(key) << std::right << ' '
        << ValueText(key, GetSetting(settings, key)) << '\n';
  }
  PrintExpectations(settings, out);
  out << "\nWeapon odds of one fighter:\n";
  PrintOdds(OddsOf(settings), out);
  const std::int64_t set = tally.set, ignored = tally.ignored, warnings = tally.warnings;
  out << "\nSummary: " << set << (set == 1 ? " line sets" : " lines set") << " a value, " << ignored
      << (ignored == 1 ? " line" : " lines") << " ignored (comments and blank "
      << "lines not counted), " << warnings << (warnings == 1 ? " warning" : " warnings") << '\n';
}

}  // namespace

// [SECTION] Public functions

std::optional<std::string> IniFileProblem(const std::string& path) {
  std::error_code ec;
  const fs::file_status st = fs::status(files::PathOf(path), ec);
  if (ec || !fs::exists(st)) {
    return "cannot open '" + path + "': " + (ec ? ec.message() : "no such file");
  }
  const char* what = nullptr;
  if (fs::is_directory(st)) {
    what = "is a folder";
  } else if (fs::is_fifo(st)) {
    what = "is a FIFO";
  } else if (fs::is_character_file(st) || fs::is_block_file(st)) {
    what = "is a device";
  } else if (fs::is_socket(st)) {
    what = "is a socket";
  } else if (!fs::is_regular_file(st)) {
    what = "is not a regular file";
  }
  if (what != nullptr) return "'" + path + "' " + what + ", not an ini file";
  errno = 0;
  if (!Open(path)) return "cannot open '" + path + "': " + std::strerror(errno);
  return std::nullopt;
}

std::optional<ReadEnd> ReadIniFile(const std::string& path, FightSettings& settings) {
  if (IniFileProblem(path)) return std::nullopt;
  const FilePtr file = Open(path);
  if (!file) return std::nullopt;
  IniLineReader reader(file.get());
  return ReadSettings(reader, settings);  // a line too long for memory ends it, as for the module
}

int CheckIni(const std::string& path, std::ostream& out, std::ostream& err) {
  if (const std::optional<std::string> problem = IniFileProblem(path)) {
    err << "ruckvale-sim check-ini: " << *problem << '\n';
    return kCheckUnreadable;
  }
  const FilePtr file = Open(path);
  if (!file) {
    err << "ruckvale-sim check-ini: cannot open '" << path << "'\n";
    return kCheckUnreadable;
  }
  const RawScan raw = ScanRaw(file.get());
  std::rewind(file.get());
  FightSettings settings;
  LineTally tally;
  out << "Lines of " << path << ":\n";
  if (raw.utf16) {
    out << "  warning: the file is UTF-16 (\"Unicode\" in Notepad): every key reads as unknown "
           "and nothing is set; save it as plain text (ANSI or UTF-8)\n";
    ++tally.warnings;
  }
  ReadLines(file.get(), raw, settings, tally, out);
  FileWarnings(raw, settings, tally, out);
  Report(settings, tally, out);
  return tally.warnings == 0 ? kCheckClean : kCheckFindings;
}

}  // namespace ruckvale::tools
