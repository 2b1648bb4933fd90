// Reading Ruckvale.ini: the meaning of each kind of line and of the file's bytes.
#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>

#include "settings/fight_settings.h"
#include "settings/ini_line.h"
#include "settings/ini_line_text.h"
#include "settings/key_names.h"
#include "settings/load_settings.h"
#include "settings/number_reader.h"
#include "settings_expect.h"
#include "sim/module_run.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace ruckvale {
namespace {

// Reads `text` as the whole ini file, from defaults, with the module's reader.
FightSettings Load(const std::string& text) {
  FightSettings settings;
  ReadSettingsText(text, settings);
  return settings;
}

struct LineCase {
  std::string line;
  SettingKey key;
  double expected;  // the value of `key` after the line, from the defaults
};

void PrintTo(const LineCase& c, std::ostream* os) {
  *os << '"' << c.line << '"';
}

double ValueOf(const FightSettings& s, SettingKey key) {
  const SettingValue v = GetSetting(s, key);
  switch (kSettingKeys[static_cast<int>(key)].type) {
    case SettingType::Float:
      return v.real;
    case SettingType::Boolean:
      return v.boolean ? 1 : 0;
    case SettingType::KeyCode:  // the modifier's code in the thousands
      return v.integer + 1000.0 * v.modifier;
    case SettingType::PadCombo:  // hold * 100 + press; none: -101
      return v.pad_hold * 100.0 + v.pad_press;
    default:
      return v.integer;
  }
}

class LineTable : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineTable, LineGivesValue) {
  const LineCase& c = GetParam();
  FightSettings s;
  ApplyIniLine(InterpretIniLine(c.line), s);
  const double got = ValueOf(s, c.key);
  if (std::isinf(c.expected)) {
    EXPECT_EQ(got, c.expected);
  } else {
    EXPECT_DOUBLE_EQ(got, c.expected);
  }
}

using K = SettingKey;
const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Lines, LineTable,
    ::testing::Values(
        LineCase{"fight_timer=30", K::fight_timer, 30},
        LineCase{"fight_timer= 30", K::fight_timer, 30},
        LineCase{"fight_timer=+30", K::fight_timer, 30},
        LineCase{"fight_timer=30 seconds", K::fight_timer, 30},
        LineCase{"fight_timer=-5", K::fight_timer, -5},
        LineCase{"fight_timer=0x1E", K::fight_timer, 0},
        LineCase{"fight_timer=30=40", K::fight_timer, 30},
        LineCase{"fight_timer =30", K::fight_timer, 60},
        LineCase{" fight_timer=30", K::fight_timer, 60},
        LineCase{"Fight_Timer=30", K::fight_timer, 60}, LineCase{"=30", K::fight_timer, 60},
        LineCase{"fight_timer=\t\v\f\r 7", K::fight_timer, 7},
        LineCase{"fight_radius=12.5", K::fight_radius, 12.5},
        LineCase{"fight_radius=12,5", K::fight_radius, 12.0},
        LineCase{"fight_radius=1e2", K::fight_radius, 100.0},
        LineCase{"fight_radius=-3", K::fight_radius, -3.0},
        LineCase{"fight_radius=inf", K::fight_radius, kInf},
        LineCase{"fight_radius=-INFINITY", K::fight_radius, -kInf},
        LineCase{"fight_radius=0x1.8p3", K::fight_radius, 12.0},
        LineCase{"fight_radius=0X1P-2", K::fight_radius, 0.25},
        LineCase{"fight_radius=0xAp", K::fight_radius, 10.0},
        LineCase{"fight_radius=0xg", K::fight_radius, 0.0},
        LineCase{"fight_radius=.5", K::fight_radius, 0.5},
        LineCase{"fight_radius=5.e1", K::fight_radius, 50.0},
        LineCase{"fight_radius=2e", K::fight_radius, 2.0},
        LineCase{"humans_only=1", K::humans_only, 1},
        LineCase{"humans_only=true", K::humans_only, 1},
        LineCase{"humans_only=0", K::humans_only, 0},
        LineCase{"humans_only=false", K::humans_only, 0},
        LineCase{"humans_only=TRUE", K::humans_only, 0},
        LineCase{"humans_only=True", K::humans_only, 0},
        LineCase{"humans_only=yes", K::humans_only, 0}, LineCase{"humans_only=", K::humans_only, 0},
        LineCase{"humans_only= 1", K::humans_only, 0},
        LineCase{"humans_only=true ", K::humans_only, 0},
        LineCase{"key_trigger=Ctrl+F9", K::key_trigger, 120 + 17000},
        LineCase{"key_trigger=Shift+K", K::key_trigger, 75 + 16000},
        LineCase{"key_trigger=Alt+F12", K::key_trigger, 123 + 18000},
        LineCase{"key_trigger=ctrl+F9", K::key_trigger, 123},  // no capital: unchanged
        LineCase{"key_trigger=CTRL+F9", K::key_trigger, 67},   // the C key
        LineCase{"key_trigger=Ctrl+", K::key_trigger, 123},
        LineCase{"key_trigger=Ctrl+f9", K::key_trigger, 123},
        LineCase{"key_trigger=F+", K::key_trigger, 123},
        LineCase{"key_trigger=Space", K::key_trigger, 83},
        LineCase{"toggle_key=Shift+T", K::toggle_key, 84 + 16000},
        LineCase{"toggle_key=F10", K::toggle_key, 121}, LineCase{"toggle_key=x", K::toggle_key, -1},
        LineCase{"pad_trigger=RB+DPAD_DOWN", K::pad_trigger, 511},
        LineCase{"pad_trigger=A+B", K::pad_trigger, 1},
        LineCase{"pad_trigger=RB", K::pad_trigger, -101},
        LineCase{"pad_trigger=RB+DPAD_DOWN+A", K::pad_trigger, -101},
        LineCase{"pad_trigger=rb+a", K::pad_trigger, -101},
        LineCase{"pad_trigger=RB+", K::pad_trigger, -101},
        LineCase{"pad_trigger=RB +A", K::pad_trigger, -101},
        LineCase{"pad_trigger=RB+RB", K::pad_trigger, -101},  // never fires: not stored
        LineCase{"start_enabled=false", K::start_enabled, 0}, LineCase{"log=true", K::log, 1},
        LineCase{"log=on", K::log, 0}, LineCase{"probe=true", K::probe, 1},
        LineCase{"key_trigger=F1", K::key_trigger, 112},
        LineCase{"key_trigger=F12", K::key_trigger, 123},
        LineCase{"key_trigger=F24", K::key_trigger, 135},
        LineCase{"key_trigger=F0", K::key_trigger, 111},
        LineCase{"key_trigger=F9x", K::key_trigger, 120},
        LineCase{"key_trigger=F-9", K::key_trigger, 102},
        LineCase{"key_trigger=F99", K::key_trigger, 210},
        LineCase{"key_trigger=A", K::key_trigger, 65},
        LineCase{"key_trigger=Z", K::key_trigger, 90},
        LineCase{"key_trigger=Space", K::key_trigger, 83},
        LineCase{"key_trigger=F123", K::key_trigger, 70},
        LineCase{"key_trigger=F12 ", K::key_trigger, 70},
        LineCase{"key_trigger=f12", K::key_trigger, 123},
        LineCase{"key_trigger=12", K::key_trigger, 123},
        LineCase{"key_trigger= F12", K::key_trigger, 123},
        LineCase{"key_trigger=", K::key_trigger, 123},
        LineCase{"key_trigger=F", K::key_trigger, 123},
        LineCase{"key_trigger=Fx", K::key_trigger, 123},
        LineCase{"key_trigger=\xC4", K::key_trigger, 123},
        LineCase{"fight_chance=150", K::fight_chance, 150},
        LineCase{"melee_chance=-10", K::melee_chance, -10},
        LineCase{"fight_group_size=0", K::fight_group_size, 0},
        // Integers at and beyond the 32-bit limits; beyond sets nothing.
        LineCase{"fight_timer=2147483647", K::fight_timer, 2147483647},
        LineCase{"fight_timer=-2147483648", K::fight_timer, -2147483648.0},
        LineCase{"fight_timer=2147483648", K::fight_timer, 60},
        LineCase{"fight_timer=-2147483649", K::fight_timer, 60},
        LineCase{"fight_timer=99999999999999999999", K::fight_timer, 60},
        LineCase{"fight_timer=00000000000000000000042", K::fight_timer, 42},
        // Unreadable values set nothing.
        LineCase{"fight_timer=", K::fight_timer, 60},
        LineCase{"fight_timer=abc", K::fight_timer, 60},
        LineCase{"fight_timer=+-5", K::fight_timer, 60},
        LineCase{"fight_timer=- 5", K::fight_timer, 60},
        LineCase{"fight_radius=", K::fight_radius, 50},
        LineCase{"fight_radius=--1", K::fight_radius, 50},
        LineCase{"fight_radius=+-1", K::fight_radius, 50},
        LineCase{"fight_radius=.", K::fight_radius, 50},
        LineCase{"fight_radius=e5", K::fight_radius, 50},
        // Floats that overflow or underflow 32 bits do not fit.
        LineCase{"fight_radius=3.4028235e38", K::fight_radius, 3.4028234663852886e38},
        LineCase{"fight_radius=1e39", K::fight_radius, 50},
        LineCase{"fight_radius=-1e39", K::fight_radius, 50},
        LineCase{"fight_radius=1e-50", K::fight_radius, 50},
        LineCase{"fight_radius=1e-40", K::fight_radius, 50},
        LineCase{"fight_radius=0x1p200", K::fight_radius, 50},
        LineCase{"fight_radius=1.1754944e-38", K::fight_radius, 1.1754943508222875e-38},
        LineCase{"fight_radius=0e-99999", K::fight_radius, 0}));

TEST(NumberReader, NanFormsReadAsNan) {
  for (const char* text : {"nan", "NAN", "NaN(abc_123)", "-nan", "  +nan()", "nan(", "nan(x y)"}) {
    float f = 0;
    EXPECT_TRUE(ReadFloat(text, f).ok) << text;
    EXPECT_TRUE(std::isnan(f)) << text;
  }
}

TEST(NumberReader, ReportsWhereTheNumberEnds) {
  float f = 0;
  EXPECT_EQ(ReadFloat("  12.5 units", f).consumed, 6u);
  EXPECT_EQ(ReadFloat("nan(x y)", f).consumed, 3u);
  EXPECT_EQ(ReadFloat("nan(x_1)z", f).consumed, 8u);
  EXPECT_EQ(ReadFloat("1e+", f).consumed, 1u);
  EXPECT_EQ(ReadFloat("infinit", f).consumed, 3u);
  std::int32_t n = 0;
  EXPECT_EQ(ReadInt32("\t-42abc", n).consumed, 4u);
  EXPECT_EQ(n, -42);
}

// A game may set a C locale with a decimal comma; the reader must not care.
TEST(NumberReader, IgnoresTheCLocale) {
  const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE", "German"};
  const char* set = nullptr;
  for (const char* name : candidates) {
    if ((set = std::setlocale(LC_NUMERIC, name)) != nullptr) break;
  }
  if (set == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  float f = 0;
  const NumberRead read = ReadFloat("12.5", f);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_TRUE(read.ok);
  EXPECT_EQ(f, 12.5f);
  EXPECT_EQ(read.consumed, 4u);
}

TEST(LoadSettings, NoFileEmptyFileOrOnlyCommentsGiveTheDefaults) {
  for (const char* text : {"", "\n\n\r\n", "; a comment\n[Ruckvale]\n# another\n"}) {
    SCOPED_TRACE(text);
    testing_support::ExpectDefaults(Load(text));
  }
  sim::IniFolder none(std::nullopt);
  FightSettings settings;
  settings.fight_timer = 7;  // the reader does not reset what it does not read
  EXPECT_FALSE(LoadSettings(settings));
  EXPECT_EQ(settings.fight_timer, 7);
#if !defined(_WIN32)
  // Anything but a regular file reads as missing: a pipe would hang the
  // start, a device would feed it for ever.
  ASSERT_EQ(mkfifo("Ruckvale.ini", 0600), 0);
  EXPECT_FALSE(LoadSettings(settings));
  std::remove("Ruckvale.ini");
  std::filesystem::create_symlink("/dev/zero", "Ruckvale.ini");
  EXPECT_FALSE(LoadSettings(settings));
  EXPECT_EQ(settings.fight_timer, 7);
#endif
}

TEST(LoadSettings, LaterLinesWinAndUnreadableOnesAreSkipped) {
  const FightSettings s = Load(
      "fight_chance=10\nfight_chance=90\nfight_timer=5\nfight_timer=oops\nfight_radius=1e99\n"
      "fight_group_size=4\nkey_trigger=K\nkey_trigger=f1\nkey_trigger=F\n");
  EXPECT_EQ(s.fight_chance, 90);
  EXPECT_EQ(s.fight_timer, 5);
  EXPECT_EQ(s.fight_radius, 50.0f);
  EXPECT_EQ(s.fight_group_size, 4);
  EXPECT_EQ(s.key_trigger, 'K');
}

// "none", the documented default of pad_trigger and toggle_key, switches off
// what an earlier line set; key_trigger has no "off" and keeps its key.
TEST(LoadSettings, NoneSwitchesOffWhatDefaultsToOff) {
  const LineCase cases[] = {
      {"pad_trigger=RB+A\npad_trigger=none", K::pad_trigger, -101},
      {"toggle_key=Ctrl+F10\ntoggle_key=none", K::toggle_key, -1},
      {"key_trigger=F10\nkey_trigger=none", K::key_trigger, 121},
      {"pad_trigger=RB+A\npad_trigger=None", K::pad_trigger, 500},
      {"toggle_key=F10\ntoggle_key=none ", K::toggle_key, 121},
  };
  for (const LineCase& c : cases) EXPECT_EQ(ValueOf(Load(c.line), c.key), c.expected) << c.line;
}

// What the checker and the log say of a line that sets nothing, or sets off.
TEST(IniLineText, SaysWhyAKeyOrPadValueIsRefused) {
  const std::pair<const char*, const char*> cases[] = {
      {"pad_trigger=RB+RB",
       "ignored: 'RB+RB' is no pad_trigger (one control twice: it cannot be held while it is "
       "released, so it never fires; name two different controls, as in RB+DPAD_DOWN)"},
      {"pad_trigger=none", "sets pad_trigger to none: off"},
      {"toggle_key=none", "sets toggle_key to none: off"},
      {"key_trigger=none", "(key_trigger cannot be switched off;"},
      {"key_trigger=Ctrl+f9", "(key names are capitals: write 'F9';"},
      {"toggle_key=f12", "(key names are capitals: write 'F12';"},
      {"key_trigger=space", "(key names are capitals;"},
      {"key_trigger=Ctrl+9", "(a digit key has no name here;"},
      {"key_trigger=ctrl+F9", "(modifiers are case-sensitive: write 'Ctrl+';"},
      {"key_trigger=sHIFT+F9", "(modifiers are case-sensitive: write 'Shift+';"},
      {"key_trigger=Ctrl+", "(a modifier needs a key after it, as in Ctrl+F9;"},
      {"key_trigger=", "(the value is empty;"},
      {"key_trigger= F9", "(no blanks around the key;"},
  };
  for (const auto& [line, said] : cases) {
    EXPECT_NE(DescribeIniLine(InterpretIniLine(line)).find(said), std::string::npos)
        << line << ": " << DescribeIniLine(InterpretIniLine(line));
  }
}

TEST(LoadSettings, LineEndsAndSpecialBytes) {
  // CR LF reads like LF; a lone CR is an ordinary byte.
  FightSettings s = Load("humans_only=true\r\nkey_trigger=F12\r\nfight_timer=9\r\r\n");
  EXPECT_TRUE(s.humans_only);
  EXPECT_EQ(s.key_trigger, 123);
  EXPECT_EQ(s.fight_timer, 9);
  s = Load("humans_only=0\nhumans_only=true\r");
  EXPECT_FALSE(s.humans_only);  // the last line keeps its CR: "true\r" is not "true"
  // A UTF-8 byte-order mark spoils the first key only.
  s = Load(
      "\xEF\xBB\xBF"
      "fight_timer=5\nfight_chance=7\n");
  EXPECT_EQ(s.fight_timer, 60);
  EXPECT_EQ(s.fight_chance, 7);
  // 0x1A ends the text; the line holding it is still read.
  s =
      Load(std::string("fight_timer=5\nfight_chance=7\x1A"
                       "9\nfight_group_size=6\n"));
  EXPECT_EQ(s.fight_timer, 5);
  EXPECT_EQ(s.fight_chance, 7);
  EXPECT_EQ(s.fight_group_size, 2);
  // A CR before the end-of-text byte is no line end: it stays in the value.
  s = Load("humans_only=0\nhumans_only=true\r\x1A");
  EXPECT_FALSE(s.humans_only);
  // A CR LF split between two of the reader's 4 KiB chunks still ends a line.
  for (std::size_t cr_at = 4090; cr_at <= 4100; ++cr_at) {
    const std::string first = "humans_only=0\n", line = "humans_only=true";
    s = Load(first + ";" + std::string(cr_at - first.size() - line.size() - 2, 'x') + "\n" + line +
             "\r\n");
    EXPECT_TRUE(s.humans_only) << "CR at byte " << cr_at;
  }
  // NUL bytes are ordinary bytes.
  const char with_nul[] = "fight_timer=5\0x\nfight_chance=8";
  s = Load(std::string(with_nul, sizeof with_nul - 1));
  EXPECT_EQ(s.fight_timer, 5);
  EXPECT_EQ(s.fight_chance, 8);
}

#if defined(__GLIBC__)
// A file whose bytes run out in a read error, as a failing disk's do.
struct FailingSource {
  std::string text;
  bool given = false;
  static ssize_t Read(void* cookie, char* buffer, std::size_t size) {
    auto& source = *static_cast<FailingSource*>(cookie);
    if (source.given || size < source.text.size()) {
      errno = EIO;
      return -1;
    }
    source.given = true;
    std::memcpy(buffer, source.text.data(), source.text.size());
    return static_cast<ssize_t>(source.text.size());
  }
};

TEST(LoadSettings, AReadErrorEndsReadingAndDropsTheUnfinishedLine) {
  FailingSource source{"fight_chance=7\nfight_timer=5"};
  cookie_io_functions_t io{};
  io.read = &FailingSource::Read;
  std::FILE* file = fopencookie(&source, "rb", io);
  ASSERT_NE(file, nullptr);
  IniLineReader reader(file);
  FightSettings s;
  EXPECT_EQ(ReadSettings(reader, s), ReadEnd::ReadError);
  std::fclose(file);
  EXPECT_EQ(s.fight_chance, 7);
  EXPECT_EQ(s.fight_timer, 60);
}
#endif

TEST(LoadSettings, LinesOfAnyLength) {
  std::string text = "fight_timer=" + std::string(100000, ' ') + "31\n";
  text += "; " + std::string(50000, 'x') + "\n";
  text += "fight_radius=0." + std::string(20000, '0') + "1e20001\n";
  text += "fight_chance=3";  // last line without a line end, across a chunk edge
  const FightSettings s = Load(text);
  EXPECT_EQ(s.fight_timer, 31);
  EXPECT_FLOAT_EQ(s.fight_radius, 1.0f);
  EXPECT_EQ(s.fight_chance, 3);
}

// A line's bytes as the checker and the log show them: cut only past the
// limit, and every byte outside 0x20 to 0x7E escaped.
TEST(IniLineText, ShownBytesCutsOnlyPastTheLimitAndEscapesTheEdges) {
  EXPECT_EQ(ShownBytes(std::string(60, 'a')), std::string(60, 'a'));
  EXPECT_EQ(ShownBytes(std::string(61, 'a')), std::string(60, 'a') + "... (61 bytes)");
  EXPECT_EQ(ShownBytes("a\x1F \x7E\x7F\x80"), "a\\x1F ~\\x7F\\x80");
}

// The names of virtual-key codes at the edges of each range a rule names.
TEST(KeyNames, EachRangeEndsWhereWindowsEndsIt) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {47, nullptr},
      {48, "0"},
      {57, "9"},
      {58, nullptr},
      {64, nullptr},
      {65, "A"},
      {90, "Z"},
      {91, nullptr},
      {95, nullptr},
      {96, "numpad 0"},
      {105, "numpad 9"},
      {106, "numpad *"},
      {111, "numpad /"},
      {112, "F1"},
      {135, "F24"},
      {136, nullptr},
      {143, nullptr},
      {165, "right Alt"},
      {166, "browser key 166"},
      {172, "browser key 172"},
      {173, "volume mute"},
      {179, "play/pause"},
      {180, "launch key 180"},
      {183, "launch key 183"},
      {184, nullptr},
      {192, "'`' (US layout)"},
      {193, nullptr},
      {255, nullptr},
  };
  for (const auto& [code, name] : cases) {
    EXPECT_EQ(KeyOnKeyboard(code), name != nullptr) << code;
    EXPECT_EQ(KeyCodeName(code),
              name ? std::string(name)
                   : "unassigned virtual key " + std::to_string(code) + " (no key on a keyboard)")
        << code;
  }
}

}  // namespace
}  // namespace ruckvale
