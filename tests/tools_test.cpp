// The simulator tool and the ini checker, as a user meets them.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "host/module_state.h"
#include "settings/fight_settings.h"
#include "settings/load_settings.h"
#include "settings_expect.h"
#include "sim/module_run.h"
#include "tools/ini_check.h"
#include "tools/options.h"
#include "tools/probe_log.h"
#include "tools/simulate.h"
#include "tools/weapon_odds.h"

namespace ruckvale {
namespace {

using tools::SimOptions;

const std::string kSampleIni = std::string(RUCKVALE_SOURCE_DIR) + "/packaging/Ruckvale.ini";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Outcome {
  int code;
  std::string out, err;
};

Outcome Simulate(const std::vector<std::string>& args) {
  std::string error;
  const auto options = tools::ParseOptions(args, error);
  if (!options) return {2, "", error};
  std::ostringstream out, err;
  const int code = tools::RunSimulation(*options, out, err);
  return {code, out.str(), err.str()};
}

int Occurrences(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(SimOptions, BadOptionsAndValuesAreRefused) {
  const std::vector<std::vector<std::string>> bad = {
      {"--fps", "0"},      {"--fps", "30x"},
      {"--seconds", "-1"}, {"--seconds", "nan"},
      {"--seconds"},       {"--press", "1,,2"},
      {"--press", "-3"},   {"--seed", "-1"},
      {"--frobnicate"},    {"--json", "--trace"},
      {"check-ini"},       {"check-ini", "a", "b"},
      {"--ini"},           {"--seconds", "60", "--press", "61"},
      {"--press", "0"},    {"--seconds", "300", "--press", "300"},
  };
  for (const auto& args : bad) {
    std::string error;
    EXPECT_FALSE(tools::ParseOptions(args, error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
  std::string error;
  const auto ok = tools::ParseOptions({"--press", "2,30.5", "--seed", "9", "--fps", "60"}, error);
  ASSERT_TRUE(ok) << error;
  EXPECT_EQ(ok->presses, (std::vector<double>{2, 30.5}));
  EXPECT_EQ(ok->seed, 9u);
  EXPECT_EQ(ok->fps, 60);
}

TEST(SimTool, AMissingIniFileIsAnError) {
  const Outcome o = Simulate({"--ini", "/no/such/Ruckvale.ini"});
  EXPECT_EQ(o.code, 2);
  EXPECT_NE(o.err.find("cannot open"), std::string::npos);
}

TEST(SimTool, ASeededRunIsReproducible) {
  const Outcome a = Simulate({"--seconds", "90", "--press", "2,40", "--seed", "5"});
  const Outcome b = Simulate({"--seconds", "90", "--press", "2,40", "--seed", "5"});
  const Outcome c = Simulate({"--seconds", "90", "--press", "2,40", "--seed", "6"});
  EXPECT_EQ(a.code, 0);
  EXPECT_EQ(a.out, b.out);
  EXPECT_NE(a.out, c.out);
}

TEST(SimTool, TheIniIsHonoured) {
  sim::IniFolder folder(std::nullopt);
  std::ofstream("fast.ini") << "fight_timer=5\nfight_chance=100\nfight_group_size=3\n";
  const Outcome o = Simulate({"--seconds", "31", "--seed", "2", "--ini", "fast.ini"});
  EXPECT_EQ(o.code, 0);
  // The first pass rolls at once, then every 5 s: 7 rolls in 31 s, all hits.
  EXPECT_EQ(Occurrences(o.out, "timer roll: hit"), 7) << o.out;
  EXPECT_EQ(Occurrences(o.out, "timer roll: miss"), 0);
  EXPECT_NE(o.out.find("fight starts (timer), 3 fighters"), std::string::npos);
}

// A trigger that finds the list too short says so; it does not count the
// listed peds, animals included, as qualifying.
TEST(SimTool, ATooShortListIsToldAsSuch) {
  sim::IniFolder folder(std::nullopt);
  std::ofstream("big.ini") << "fight_group_size=33\n";
  const Outcome o = Simulate({"--seconds", "3", "--press", "2", "--ini", "big.ini"});
  EXPECT_NE(o.out.find("the game lists 32 peds, fewer than the 33 the fight needs"),
            std::string::npos)
      << o.out;
  EXPECT_EQ(o.out.find("too few peds qualify"), std::string::npos) << o.out;
}

TEST(SimTool, TheStoryAgreesWithTheTrace) {
  const Outcome o = Simulate({"--seconds", "200", "--press", "2,50,100", "--trace"});
  ASSERT_EQ(o.code, 0);
  std::istringstream lines(o.out);
  std::string line;
  int fights_told = 0, fighters_told = 0, fights_traced = 0, fighters_traced = 0, retasks_told = 0;
  int start_tasks_told = 0, tasks_traced = 0;
  bool in_start = false, counted = false;
  const std::regex told(R"(fight starts \((timer|key)\), (\d+) fighters)");
  while (std::getline(lines, line)) {
    std::smatch m;
    if (std::regex_search(line, m, told)) {
      ++fights_told;
      const int n = std::stoi(m[2]);
      fighters_told += n;
      start_tasks_told += n * (n - 1);
    }
    retasks_told += line.find("re-tasked against") != std::string::npos;
    const bool traced = line.rfind("    ", 0) == 0;
    if (!traced) continue;
    const std::string call = line.substr(4, line.find('(') - 4);
    if (call == "GET_PED_NEARBY_PEDS") {
      in_start = true;
      counted = false;
    } else if (call == "scriptWait") {
      in_start = false;
    } else if (in_start && call == "SET_ENTITY_AS_MISSION_ENTITY") {
      // Once per fighter prepared; a fighter let go is put back in its own
      // group, so the group calls count the let go too.
      ++fighters_traced;
      if (!counted) ++fights_traced;
      counted = true;
    }
    tasks_traced += call == "TASK_COMBAT_PED";
  }
  EXPECT_GE(fights_told, 3);
  EXPECT_EQ(fights_told, fights_traced);
  EXPECT_EQ(fighters_told, fighters_traced);
  // Every task is a start's (each ordered pair once) or a re-task.
  EXPECT_EQ(start_tasks_told + retasks_told, tasks_traced);
}

// The simulated game shows what the game makes of the module's calls: none of
// the faults in an ordinary run, nor in a large fight among animals with the
// player riding, and a key released in the background ignored.
TEST(SimTool, TheSummaryCountsWhatTheGameMadeOfTheFights) {
  sim::IniFolder folder(std::nullopt);
  std::ofstream("eight.ini") << "fight_timer=20\nfight_chance=100\nfight_group_size=8\n"
                                "humans_only=false\nfight_radius=60\n";
  const std::vector<std::string> runs[] = {
      {"--seconds", "900", "--press", "100,200", "--background", "150-250", "--quiet"},
      {"--seconds", "900", "--ini", "eight.ini", "--riding", "0-450", "--quiet"}};
  for (const std::vector<std::string>& args : runs) {
    const Outcome o = Simulate(args);
    ASSERT_EQ(o.code, 0) << o.err;
    const auto count = [&o](const std::string& label) {
      std::smatch m;
      return std::regex_search(o.out, m, std::regex(label + R"(:\s+(\d+)\n)")) ? std::stoi(m[1])
                                                                               : -1;
    };
    for (const char* zero :
         {"fighters that fled", "story peds taken over", "guns in the off hand",
          "corpses drawn as fighters", "fights between groups that do not hate",
          "orders against the fighter's own side", "fighters let go blind or in a brawl group",
          "riders, drivers and tied-up peds drawn", "the player's mount drawn",
          "blades and fists kept at range"}) {
      EXPECT_EQ(count(zero), 0) << zero << o.out;
    }
    EXPECT_GT(count("fights that ended with one side standing"), 0) << o.out;
    if (args[3] == "100,200") {
      EXPECT_EQ(count("key releases ignored in the background"), 1) << o.out;
    }
  }
}

// Notices: the story and the summary tell what the module's log tells, a
// toggle's notice waiting while the last shows and one dropped after 10 s of
// the pause menu.
TEST(SimTool, TheStoryTellsEachNoticeAsTheLogDoes) {
  sim::IniFolder folder(std::nullopt);
  std::ofstream("notify.ini") << "notify=true\ntoggle_key=T\nfight_timer=100000\nlog=true\n";
  const Outcome o = Simulate({"--seconds", "40", "--ini", "notify.ini", "--toggle", "5,6,20",
                              "--pause", "19-32", "--log", "copy.log"});
  ASSERT_EQ(o.code, 0) << o.err;
  const std::string log = ReadFile("copy.log");
  for (const char* told : {"[00:05.000] notice \"Ruckvale off\" shown (id 2)\n",
                           "[00:08.000] notice \"Ruckvale on\" shown (id 3)\n",
                           "[00:30.000] notice (off) dropped: not shown within 10 s (the pause "
                           "menu was open)\n",
                           "  notices:            3 shown, 0 refused by the game, 1 dropped "
                           "after 10 s\n"}) {
    EXPECT_EQ(Occurrences(o.out, told), 1) << told << o.out;
  }
  EXPECT_EQ(Occurrences(log, "notice 'Ruckvale off' posted (id 2)"), 1) << log;
  EXPECT_EQ(Occurrences(log, "notice 'Ruckvale on' posted (id 3)"), 1) << log;
  EXPECT_EQ(Occurrences(log,
                        "notice 'Ruckvale off' dropped: not shown within 10 s (the pause "
                        "menu was open)"),
            1)
      << log;
}

// The street's lawmen: drawn as anyone by default, never with
// lawmen_fight=false, and with law_steps_in=true never drawn but stepping in
// against the fighters.
TEST(SimTool, TheLawmenAreDrawnLeftOutOrStepIn) {
  sim::IniFolder folder(std::nullopt);
  const struct {
    const char* law;
    bool drawn, joined;
  } cases[] = {{"", true, false},
               {"lawmen_fight=false\n", false, false},
               {"law_steps_in=true\n", false, true}};
  for (const auto& c : cases) {
    std::ofstream("law.ini", std::ios::trunc)
        << "fight_timer=10\nfight_chance=100\nfight_group_size=8\nfight_radius=30\n"
        << c.law;
    const Outcome o = Simulate({"--seconds", "600", "--ini", "law.ini"});
    ASSERT_EQ(o.code, 0) << o.err;
    const auto count = [&o](const std::string& label) {
      std::smatch m;
      return std::regex_search(o.out, m, std::regex(label + R"(:\s+(\d+)\n)")) ? std::stoi(m[1])
                                                                               : -1;
    };
    EXPECT_EQ(count("lawmen drawn") > 0, c.drawn) << c.law << o.out;
    EXPECT_EQ(count("lawmen that joined") > 0, c.joined) << c.law << o.out;
    EXPECT_EQ(o.out.find("steps in against fighter") != std::string::npos, c.joined) << c.law;
    EXPECT_EQ(o.out.find("; a lawman") != std::string::npos, c.drawn) << c.law;
  }
}

TEST(SimTool, ALongRunMatchesTheOddsOfTheIni) {
  sim::IniFolder folder(std::nullopt);
  // Many fighters and fights, so the weapon mix is a large sample.
  std::ofstream("many.ini")
      << "fight_timer=1\nfight_chance=100\nfight_group_size=8\nhumans_only=0\n"
         "fight_radius=200\n";
  const Outcome o = Simulate({"--seconds", "600", "--ini", "many.ini", "--quiet"});
  ASSERT_EQ(o.code, 0);
  // "    Melee       2412  50.3 %    50 %"
  const std::regex row(R"((\w+)\s+(\d+)\s+([\d.]+) %\s+(\d+) %)");
  int rows = 0;
  for (std::sregex_iterator it(o.out.begin(), o.out.end(), row), end; it != end; ++it) {
    const double seen = std::stod((*it)[3]);
    const double odds = std::stod((*it)[4]);
    EXPECT_NEAR(seen, odds, 2.5) << (*it)[0];
    ++rows;
  }
  EXPECT_EQ(rows, 9) << o.out;
}

// The story tells the switch as the module keeps it: no roll and no trigger
// while off, each release let go with its reason, each pass in the module's
// order (timer, key, pad, toggle), and options that the ini leaves without a
// key said to do nothing.
TEST(SimTool, TheStoryFollowsTheSwitch) {
  sim::IniFolder folder(std::nullopt);
  std::ofstream("off.ini")
      << "toggle_key=T\nstart_enabled=false\nfight_timer=0\nfight_chance=100\n";
  std::ofstream("on.ini") << "toggle_key=T\nfight_timer=5\nfight_chance=100\n";
  std::ofstream("plain.ini") << "fight_timer=100000\n";
  std::ofstream("ctrl.ini") << "key_trigger=Ctrl+F9\nfight_timer=100000\n";
  std::ofstream("reload.ini") << "reload_key=F11\nfight_timer=100000\nlog=true\n";
  std::ofstream("then.ini") << "reload_key=F11\nkey_trigger=F9\nfight_radius=20\n"
                               "fight_timer=100000\nlog=true\n";
  struct Case {
    std::vector<std::string> args;
    int rolls;  // "timer roll" lines
    std::vector<std::string> told, in_order;
  };
  const Case cases[] = {
      {{"--ini", "off.ini", "--seconds", "5", "--press", "2"},
       0,
       {"[00:02.000] key released while the triggers are switched off: ignored\n"},
       {}},
      // Rolls at 0, 5 and 10 s; off at 12 s, on at 22 s: due at once, then 27 s.
      {{"--ini", "on.ini", "--seconds", "31", "--toggle", "12,22"},
       5,
       {"[00:22.033] timer roll: hit\n", "[00:27.033] timer roll: hit\n"},
       {}},
      {{"--ini", "on.ini", "--seconds", "8", "--press", "6.5", "--toggle", "6.5"},
       2,
       {},
       {"[00:06.500] fight start", "[00:06.500] toggle key: the module's triggers are off"}},
      {{"--ini", "plain.ini", "--seconds", "5", "--pad", "2", "--toggle", "3"},
       0,
       {"the ini sets no pad_trigger: the --pad releases do nothing\n",
        "the ini sets no toggle_key: the --toggle releases do nothing\n"},
       {}},
      {{"--ini", "ctrl.ini", "--seconds", "1", "--json"},
       0,
       {"\"key_trigger\":120,\"key_trigger_modifier\":17,",
        "\"toggle_key\":-1,\"toggle_key_modifier\":0,"},
       {}},
      {{"--ini", "off.ini", "--seconds", "5", "--press", "2", "--json"},
       0,
       {"{\"t\":2.000,\"event\":\"key_ignored\",\"why\":\"off\"}\n", "\"rolls\":0,",
        "\"releases_ignored_off\":1,"},
       {}},
      // The key the reloaded ini names is the one --press releases.
      {{"--ini", "reload.ini", "--seconds", "6", "--reload", "1,3", "--ini-then", "then.ini",
        "--press", "5", "--log", "kept.log"},
       0,
       {"[00:01.000] reload key: the module read Ruckvale.ini again; changed: fight_radius 50 "
        "-> 20, key_trigger F12 -> F9\n",
        "[00:03.000] reload key: the module read Ruckvale.ini again; nothing changed\n",
        "[00:05.000] fight starts (key)", "Ruckvale.ini reloaded 2 times"},
       {}},
      {{"--ini", "plain.ini", "--seconds", "2", "--reload", "1"},
       0,
       {"the ini sets no reload_key: the --reload releases do nothing\n"},
       {}},
  };
  for (const Case& c : cases) {
    const Outcome o = Simulate(c.args);
    ASSERT_EQ(o.code, 0) << c.args[1] << o.err;
    EXPECT_EQ(Occurrences(o.out, "timer roll:") + Occurrences(o.out, "\"event\":\"roll\""), c.rolls)
        << c.args[1] << o.out;
    for (const std::string& line : c.told) EXPECT_NE(o.out.find(line), std::string::npos) << line;
    std::size_t at = 0;
    for (const std::string& line : c.in_order) {
      at = o.out.find(line, at);
      EXPECT_NE(at, std::string::npos) << line << o.out;
    }
  }
  EXPECT_NE(ReadFile("kept.log").find("changed: fight_radius 50 -> 20, key_trigger F12 -> F9\n"),
            std::string::npos);
}

TEST(IniChecker, TheSampleIniReadsBackToTheDefaultsWithNothingIgnored) {
  sim::IniFolder folder(ReadFile(kSampleIni));
  Module().settings = FightSettings{};
  Module().settings.fight_timer = -1;  // so that the file must set it
  LoadSettings(Module().settings);
  const FightSettings& s = Module().settings;
  testing_support::ExpectDefaults(s);
  std::ostringstream out, err;
  EXPECT_EQ(tools::CheckIni(kSampleIni, out, err), tools::kCheckClean) << out.str();
  EXPECT_EQ(Occurrences(out.str(), "sets "), 14);
  EXPECT_NE(out.str().find("0 lines ignored (comments and blank lines not counted), 0 warnings\n"),
            std::string::npos)
      << out.str();
}

// The shipped ini and the README's table list every key with its default, as
// the settings table gives it: a new key is one row, and these follow.
TEST(IniChecker, TheSampleIniAndTheReadmeListEveryKeyWithItsDefault) {
  const std::string sample = ReadFile(kSampleIni);
  const std::string readme = ReadFile(std::string(RUCKVALE_SOURCE_DIR) + "/README.md");
  for (const SettingKeyInfo& row : kSettingKeys) {
    const std::string name(row.name), value(row.default_text);
    const bool listed = sample.find("\n" + name + "=" + value + "\n") != std::string::npos ||
                        sample.find("\n;" + name + "=") != std::string::npos;
    EXPECT_TRUE(listed) << name;
    EXPECT_NE(sample.find("Default " + value + "."), std::string::npos) << name;
    EXPECT_NE(readme.find("| `" + name + "` | `" + value + "` |"), std::string::npos) << name;
  }
}

TEST(IniChecker, ExplainsEveryKindOfMistake) {
  sim::IniFolder folder(std::nullopt);
  std::ofstream("bad.ini", std::ios::binary)
      << "\xEF\xBB\xBF"
         "fight_chance=3\nfight_timer =30\nFight_Timer=30\nfight_timer=30 seconds\n"
         "fight_timer=abc\x7F\nhello\nhumans_only=yes\nkey_trigger=f12\nkey_trigger=F12 \n"
         "fight_radius=12,5\nbow_chance=99999999999\n";
  std::ostringstream out, err;
  ASSERT_EQ(tools::CheckIni("bad.ini", out, err), tools::kCheckFindings);
  const std::string text = out.str();
  for (const char* expected : {
           "byte-order mark",
           "ignored: the key 'fight_timer ' does not match 'fight_timer'; blanks around '=' are "
           "not allowed",
           "ignored: unknown key 'Fight_Timer' (keys are case-sensitive",
           "sets fight_timer to 30; value after the number ignored: ' seconds'",
           "unreadable value 'abc\\x7F' for fight_timer, line skipped",  // DEL shown escaped
           "ignored: no '='",
           "sets humans_only to false\n    warning: humans_only 'yes' means false",
           "'f12' is no key for key_trigger",
           "sets key_trigger to F",
           "sets fight_radius to 12; value after the number ignored: ',5'",
           "value '99999999999' for bow_chance is too large",
           "Melee       50 %",
           "unarmed     10 %",
       }) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  }
  // The effective values are what the module reads from the same file.
  std::rename("bad.ini", "Ruckvale.ini");
  Module().settings = FightSettings{};
  LoadSettings(Module().settings);
  EXPECT_NE(text.find("fight_timer        30\n"), std::string::npos);
  EXPECT_EQ(Module().settings.fight_timer, 30);
  EXPECT_EQ(Module().settings.key_trigger, 70);
  EXPECT_EQ(tools::CheckIni("missing.ini", out, err), 2);
  EXPECT_NE(err.str().find("cannot open 'missing.ini'"), std::string::npos);
}

// Each legal value that is almost certainly a mistake is named, with its line.
TEST(IniChecker, WarnsAboutLikelyMistakesWithTheirLines) {
  sim::IniFolder folder(std::nullopt);
  const struct {
    std::string ini;
    std::string warning;
  } cases[] = {
      {"fight_timer=0\n",
       "line 1: fight_timer=0\n    sets fight_timer to 0\n    warning: fight_timer "
       "0 rolls the timer on every frame"},
      {"\nfight_timer=0.5\n", "line 2: fight_timer=0.5"},
      {"fight_timer=0.5\n", "warning: fight_timer takes a whole number: '0.5' reads 0"},
      {"fight_chance=101\n", "fight_chance 101 is above 100"},
      {"fight_chance=0\n", "fight_chance 0: the timer never starts a fight"},
      {"fight_group_size=1\n", "one fighter has nobody to fight"},
      {"fight_group_size=1\n", "each when at least 1 ped qualifies"},
      {"fight_group_size=0\n", "fight_group_size 0: a fight has no fighters"},
      {"fight_radius=12,5\n", "fight_radius takes a decimal point, not a comma: '12,5' reads 12"},
      {"fight_timer=0\nfight_chance=100\n", "timer fights: 108,000 an hour"},
      {"key_trigger=F25\n", "gives code 136, which no key on a keyboard sends"},
      {"fight_group_size=33\n", "fight_group_size 33 is never reached"},
      {"fight_radius=-1\n", "fight_radius is negative: no ped is that close"},
      {"fight_radius=inf\n", "fight_radius is infinite"},
      {"fight_radius=nan\n", "fight_radius NaN removes the limit"},
      {"key_trigger=Escape\n", "'Escape' is read by its first letter: the E key"},
      {"key_trigger=F0\n", "gives code 111, the numpad / key"},
      {"key_trigger=F-6\n", "gives code 105, the numpad 9 key"},
      {"key_trigger=F33\n", "gives code 144, the Num Lock key"},
      {"key_trigger=F49\n", "gives code 160, the left Shift key"},
      {"bow_chance=-1\n", "bow_chance -1 is negative"},
      {"melee_chance=80\nrevolver_chance=30\n",
       "never drawn: Pistol, Shotgun, Rifle, Repeater, "
       "Throwable, Bow"},
      {"fight_timer=5\nfight_timer=9\n", "fight_timer is set on lines 1 and 2; line 2 wins"},
      {"fight_timer =5\n",
       "blanks around '=' are not allowed\n    warning: this line sets nothing"},
      {"Fight_Timer=5\n", "keys are case-sensitive"},
      {"\xEF\xBB\xBF"
       "fight_timer=5\n",
       "byte-order mark"},
      {"fight_timre=5\n", "unknown key 'fight_timre'\n    warning: this line sets nothing"},
      {"fight_timer=5\n\x1A"
       "fight_chance=9\nbow_chance=1\n",
       "a byte 0x1A (Ctrl+Z) on line 2 ends the file: nothing after it is read (2 more lines "
       "lost: 'fight_chance=9', 'bow_chance=1')"},
      {"fight_timer=5\rfight_chance=9\r", "old Mac line ends (CR only)"},
      {std::string("f\0i\0=\0", 6), "the file is UTF-16"},
  };
  for (const auto& c : cases) {
    std::ofstream("lint.ini", std::ios::binary | std::ios::trunc) << c.ini;
    std::ostringstream out, err;
    EXPECT_EQ(tools::CheckIni("lint.ini", out, err), tools::kCheckFindings) << c.ini;
    EXPECT_NE(out.str().find(c.warning), std::string::npos) << c.warning << "\n" << out.str();
  }
  // A UTF-16 file gets its one warning, not one a line, and no line of its last NUL.
  std::ofstream("utf16.ini", std::ios::binary) << std::string(
      "\xFF\xFE"
      "f\0=\0\r\0\n\0b\0\r\0\n\0",
      16);
  std::ostringstream utf16, ignored;
  tools::CheckIni("utf16.ini", utf16, ignored);
  EXPECT_EQ(Occurrences(utf16.str(), "warning:"), 1) << utf16.str();
  EXPECT_EQ(utf16.str().find("\\x00\n"), std::string::npos) << utf16.str();
  // Folders, FIFOs and devices get one line and status 2, without a read.
  for (const char* path : {".", "/dev/zero"}) {
    std::ostringstream out, err;
    EXPECT_EQ(tools::CheckIni(path, out, err), tools::kCheckUnreadable) << path;
    EXPECT_EQ(Occurrences(err.str(), "\n"), 1) << err.str();
    EXPECT_NE(err.str().find("not an ini file"), std::string::npos) << err.str();
  }
}

// The trigger keys, the toggle and the pad: what each release does, and the
// exit status, 1 for an ini that cannot fight as it seems to.
TEST(IniChecker, TellsWhatTheKeysDoAndExitsOneWhenTheyCannotWork) {
  sim::IniFolder folder(std::nullopt);
  const struct {
    std::string ini;
    int code;
    std::string said;
  } cases[] = {
      {"pad_trigger=RB+RB\n", 1, "one control twice"},
      {"pad_trigger=none\n", 0, "sets pad_trigger to none: off"},
      {"toggle_key=none\n", 0, "sets toggle_key to none: off"},
      {"start_enabled=false\n", 1,
       "warning: start_enabled is false and no toggle_key is set: nothing switches the triggers "
       "on, so no fight ever starts"},
      {"start_enabled=false\ntoggle_key=F25\n", 1, "toggle_key is no key on a keyboard"},
      {"start_enabled=false\ntoggle_key=F10\n", 0, "release the toggle key to switch them on"},
      {"key_trigger=F9\ntoggle_key=F9\n", 1,
       "warning: toggle_key is the trigger key, modifier and all (F9): every release switches "
       "the triggers off or on, and a fight starts only on every other release, the 1st, 3rd, "
       "5th ..."},
      {"key_trigger=Ctrl+F9\ntoggle_key=Ctrl+F9\nstart_enabled=false\n", 1,
       "(Ctrl+F9): every release switches the triggers off or on, and a fight starts only on "
       "every other release, the 2nd, 4th, 6th ..."},
      {"key_trigger=F12\ntoggle_key=Ctrl+F12\n", 0,
       "one key for both: F12 without Ctrl starts a fight; Ctrl+F12 switches the triggers, "
       "without a fight\n"},
      {"key_trigger=Ctrl+F9\ntoggle_key=F9\n", 0,
       "one key for both: Ctrl+F9 starts a fight; F9 without Ctrl switches the triggers, without "
       "a fight\n"},
      {"key_trigger=Alt+F9\ntoggle_key=Shift+F9\n", 0,
       "Alt+F9 starts a fight; Shift+F9 switches the triggers, without a fight; with Alt and Shift "
       "both down, a release does both, the fight first\n"},
      {"key_trigger=Alt+F4\n", 1, "warning: key_trigger Alt+F4: Windows closes the game on Alt+F4"},
      {"toggle_key=Alt+F4\n", 1, "warning: toggle_key Alt+F4: Windows closes the game on Alt+F4"},
      {"key_trigger=W\n", 1,
       "warning: key_trigger W: most letters are bound by the game by default, and the game acts "
       "on the release too; use an F-key (F1 to F24)"},
      {"toggle_key=Ctrl+T\n", 1, "warning: toggle_key Ctrl+T: most letters are bound by the game"},
      {"key_trigger=Ctrl+f9\n", 1, "key names are capitals: write 'F9'"},
      {"key_trigger=Ctrl+9\n", 1, "a digit key has no name here"},
      {"law_steps_in=true\nlawmen_fight=true\n", 1,
       "warning: lawmen_fight=true has no effect while law_steps_in=true"},
      {"lawmen_fight=false\nlaw_steps_in=true\n", 0, "lawmen near a fight go for the fighters"},
      {"lawmen_fight=true\n", 0, "lawmen may be drawn as fighters like anyone"},
      {"lawmen_fight=false\n", 0, "are never drawn as fighters and stay out of the fight"},
  };
  for (const auto& c : cases) {
    std::ofstream("keys.ini", std::ios::binary | std::ios::trunc) << c.ini;
    std::ostringstream out, err;
    EXPECT_EQ(tools::CheckIni("keys.ini", out, err), c.code) << c.ini << out.str();
    EXPECT_NE(out.str().find(c.said), std::string::npos) << c.said << "\n" << out.str();
  }
}

// Scripts read the exit status: both help texts list every one the checker returns.
TEST(IniChecker, HelpListsEveryExitStatus) {
  EXPECT_NE(std::string(tools::kCheckIniUsage)
                .find("Exit status: 0 no warning; 1 one or more warnings; 2 bad usage, FILE "
                      "cannot\nbe read, or the output cannot be written"),
            std::string::npos);
  EXPECT_NE(std::string(tools::kUsage).find("check-ini: 0 no warning; 1 one or more\nwarnings"),
            std::string::npos);
}

TEST(IniChecker, OddsFollowTheRunningSumWithoutOverflow) {
  FightSettings s;
  s.melee_chance = 2147483647;
  s.revolver_chance = 2147483647;
  EXPECT_EQ(tools::OddsOf(s).percent[0], 100);
  s = FightSettings{};
  s.melee_chance = -10;
  const tools::WeaponOdds odds = tools::OddsOf(s);
  const int expected[9] = {0, 0, 0, 3, 2, 5, 10, 10, 70};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(odds.percent[i], expected[i]) << i;
}

// The faults of the last verdict block in `log` that a contrary reading can
// cause: fleeing (Q1), fighters neither fighting nor fleeing (Q4), guns not
// in the primary hand (Q3), let-go peds out of
// their default group (Q6), lists in 4-byte positions (Q10), blades in
// combat farther than 3 m from an opponent at 5 s (Q13; at 1 s one may still
// be on its way to a new target).
std::vector<int> VerdictFaults(const std::string& log) {
  const std::string block = log.substr(log.rfind("probe verdict"));
  std::smatch m;
  std::vector<int> faults;
  const auto n = [&m](std::size_t i) { return std::stoi(m[i]); };
  EXPECT_TRUE(std::regex_search(block, m, std::regex(R"((\d+) of \d+ fleeing at 1 s, (\d+) of)")));
  faults.push_back(n(1) + n(2));
  EXPECT_TRUE(std::regex_search(
      block, m, std::regex(R"((\d+) of \d+ neither in combat nor fleeing at 1 s, (\d+) of)")));
  faults.push_back(n(1) + n(2));
  EXPECT_TRUE(std::regex_search(
      block, m, std::regex(R"((\d+) of (\d+) armed hold their weapon at 1 s, (\d+) of (\d+))")));
  faults.push_back(n(2) - n(1) + n(4) - n(3));
  EXPECT_TRUE(std::regex_search(block, m, std::regex(R"((\d+) not in their default group)")));
  faults.push_back(n(1));
  EXPECT_TRUE(std::regex_search(block, m, std::regex(R"((\d+) in 4-byte positions)")));
  faults.push_back(n(1));
  EXPECT_TRUE(std::regex_search(
      block, m,
      std::regex("(\\d+) of (\\d+) blades and fists within 3 m of an opponent at 1 s, "
                 "(\\d+) of (\\d+)")));
  faults.push_back(n(4) - n(3));
  return faults;
}

// A game that reads one value otherwise shows in the probe's verdict as a
// fault against that value's question, and against no other.
TEST(SimTool, EachContraryReadingShowsAgainstItsOwnQuestion) {
  sim::IniFolder folder(std::nullopt);
  // Lawmen stay out of the draw: the street these counts were set in had none.
  std::ofstream("eight.ini") << "fight_group_size=8\nfight_timer=20\nfight_chance=100\n"
                                "fight_radius=80\nlawmen_fight=false\n";
  const struct {
    const char* contrary;
    int question;  // index into VerdictFaults; -1: none
  } cases[] = {{nullptr, -1}, {"flee", 0},   {"hate", 1}, {"hand", 2},
               {"group", 3},  {"layout", 4}, {"melee", 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.contrary != nullptr ? c.contrary : "as the notes say");
    std::vector<std::string> args = {"--seconds", "300",     "--ini", "eight.ini",
                                     "--probe",   "--quiet", "--log", "probe.log"};
    if (c.contrary != nullptr) args.insert(args.end(), {"--contrary", c.contrary});
    ASSERT_EQ(Simulate(args).code, 0);
    std::ifstream in("probe.log");
    std::stringstream log;
    log << in.rdbuf();
    const std::vector<int> faults = VerdictFaults(log.str());
    for (std::size_t q = 0; q < faults.size(); ++q) {
      if (static_cast<int>(q) == c.question) {
        EXPECT_GT(faults[q], 0) << q;
      } else {
        EXPECT_EQ(faults[q], 0) << q;
      }
    }
  }
}

// The probe's lines are those that start with "probe" or a verdict's "Q" and
// digit after the stamp, and the indented lines that follow them; the story
// tells each, at the time the module wrote it, in the log's order.
TEST(SimTool, TheStoryShowsTheProbesLines) {
  const struct {
    const char* line;
    bool after_probe;
    bool probe;
  } lines[] = {
      {"[      1.000 s] probe 1.0 s: 8 fighters: 8 in combat, 0 fleeing", false, true},
      {"[      0.000 s] probe: the game listed 32 peds in 8-byte slots", false, true},
      {"[      5.000 s] Q13 knives close in: 4 of 4 blades", true, true},
      {"probe 5.0 s: 6 fighters: 6 in combat", false, true},
      {"[      1.000 s]   ped 110 (side 2, WEAPON_REPEATER_EVANS): holds WEAPON_UNARMED", true,
       true},
      {"[     10.000 s]   ped 104: still a mission entity, in its default group 0x00000000", true,
       true},
      {"[      5.000 s]   ped 110, group 1, Melee WEAPON_MELEE_KNIFE", false, false},
      {"[      0.000 s]   probe = true", false, false},
      {"[      0.000 s] Ruckvale.ini line 2: sets probe to true", false, false},
      {"[     20.000 s] timer: fight of 8", true, false},
      {"[     20.000 s] Quiet", false, false},
      {"", true, false},
  };
  for (const auto& l : lines) {
    EXPECT_EQ(tools::IsProbeLine(l.line, l.after_probe), l.probe) << l.line;
  }
  sim::IniFolder folder(std::nullopt);
  // Lawmen stay out of the draw: the street these counts were set in had none.
  std::ofstream("eight.ini") << "fight_group_size=8\nfight_timer=20\nfight_chance=100\n"
                                "lawmen_fight=false\n";
  const Outcome run = Simulate({"--seconds", "60", "--ini", "eight.ini", "--probe", "--json",
                                "--press", "5", "--contrary", "hand", "--log", "probe.log"});
  ASSERT_EQ(run.code, 0) << run.err;
  std::vector<std::string> told;
  const std::regex event(R"re(\{"t":([0-9.]+),"event":"probe","line":"(.*)"\})re");
  for (std::sregex_iterator m(run.out.begin(), run.out.end(), event), end; m != end; ++m) {
    told.push_back((*m)[1].str() + " " + (*m)[2].str());
  }
  std::vector<std::string> written;
  std::istringstream log(ReadFile("probe.log"));
  bool after_probe = false;
  const std::regex stamped(R"(\[ *([0-9.]+) s\] (.*))");
  std::smatch m;
  for (std::string line; std::getline(log, line);) {
    after_probe = tools::IsProbeLine(line, after_probe);
    if (after_probe && std::regex_match(line, m, stamped))
      written.push_back(m[1].str() + " " + m[2].str());
  }
  EXPECT_EQ(told, written);
  EXPECT_EQ(told.size(), 67u);
  EXPECT_EQ(Occurrences(run.out, R"("line":"probe 1.0 s: )"), 3);
  EXPECT_EQ(Occurrences(run.out, R"("line":"  ped )"), 4);
  EXPECT_EQ(Occurrences(run.out, R"("line":"Q1 fighters fight: )"), 3);
}

}  // namespace
}  // namespace ruckvale
