#include "host/module_events.h"

#include <string>

#include "fight/weapons.h"
#include "settings/ini_line_text.h"
#include "settings/load_settings.h"

namespace ruckvale {

namespace {

// What the log calls each reason, in LeftOutBy's order.
constexpr const char* kLeftOutWords[kLeftOutByCount] = {"drawn again (listed twice)",
                                                        "gone",
                                                        "the player",
                                                        "the player's horse",
                                                        "not human",
                                                        "too far",
                                                        "dead",
                                                        "kept by another script",
                                                        "riding",
                                                        "in a vehicle",
                                                        "tied up",
                                                        "lassoed"};

struct LineContext {
  ModuleState* m;
  std::uint32_t now;
};

void LogIniLine(void* context, int number, std::string_view, const IniLine& line) {
  const auto& c = *static_cast<const LineContext*>(context);
  LogLine(c.m->log, c.now, "Ruckvale.ini line %d: %s", number, DescribeIniLine(line).c_str());
}

void LogValues(ModuleState& m, std::uint32_t now) {
  for (int i = 0; i < kSettingKeyCount; ++i) {
    const auto key = static_cast<SettingKey>(i);
    const std::string value = SettingValueText(key, GetSetting(m.settings, key));
    LogLine(m.log, now, "  %.*s = %s", static_cast<int>(kSettingKeys[i].name.size()),
            kSettingKeys[i].name.data(), value.c_str());
  }
}

// Why too few peds qualified: every test that let someone out, and the count.
void LogTooFew(ModuleState& m, std::uint32_t now, const char* trigger, const FightStartReport& r) {
  const int needed = m.settings.fight_group_size;
  if (!r.tested) {
    LogLine(m.log, now, "%s: no fight: the game lists %d peds near the player, %d needed", trigger,
            r.listed, needed);
    return;
  }
  LogLine(m.log, now, "%s: no fight: %d of the %d peds the game lists qualify, %d needed", trigger,
          r.candidates, r.listed, needed);
  for (int i = 0; i < kLeftOutByCount; ++i) {
    if (r.left_out[i] > 0)
      LogLine(m.log, now, "  left out: %d %s", r.left_out[i], kLeftOutWords[i]);
  }
}

}  // namespace

void LogStartUp(ModuleState& m, bool have_ini, std::uint32_t now) noexcept {
  if (!LogOn(m.log)) return;
  try {
    LogLine(m.log, now, "Ruckvale %s, script started%s", RUCKVALE_VERSION,
            m.script_starts > 1 ? " again (a reload): earlier fighters are forgotten" : "");
    if (have_ini) {
      LogLine(m.log, now, "Ruckvale.ini found in the game's folder");
      FightSettings again;
      LineContext context{&m, now};
      LoadSettings(again, IniLineSink{&LogIniLine, &context});
    } else {
      LogLine(m.log, now, "no Ruckvale.ini in the game's folder: the defaults hold");
    }
    LogLine(m.log, now, "values in force:");
    LogValues(m, now);
    LogLine(m.log, now, "the triggers are %s", m.main_loop.enabled ? "on" : "off (start_enabled)");
  } catch (...) {
    // Out of memory for a line's words: the log goes on without them.
  }
  LogFlush(m.log);
}

void LogFightStart(ModuleState& m, std::uint32_t now, const char* trigger,
                   const FightStartReport& r) noexcept {
  if (!LogOn(m.log)) return;
  if (!r.started) {
    LogTooFew(m, now, trigger, r);
    LogFlush(m.log);
    return;
  }
  LogLine(m.log, now, "%s: fight of %d", trigger, r.fighters);
  for (int i = 0; i < r.fighters && i < kNearbyCapacity; ++i) {
    const RosterEntry& e = m.fight.roster[static_cast<std::size_t>(i)];
    const Armament& arms = r.arms[i];
    const char* name = WeaponNameOf(m.catalogue, arms.weapon);
    const char* category = arms.category ? WeaponCategoryName(*arms.category) : "unarmed";
    LogLine(m.log, now, "  ped %d, group %d, %s%s%s", e.ped, e.group, category, name ? " " : "",
            name ? name : "");
  }
  LogFlush(m.log);
}

void LogIgnored(ModuleState& m, std::uint32_t now, const char* what, const char* why) noexcept {
  if (!LogOn(m.log)) return;
  LogLine(m.log, now, "%s released: ignored, %s", what, why);
  LogFlush(m.log);
}

void LogToggle(ModuleState& m, std::uint32_t now) noexcept {
  if (!LogOn(m.log)) return;
  LogLine(m.log, now, "toggle_key released: the triggers are now %s",
          m.main_loop.enabled ? "on" : "off");
  LogFlush(m.log);
}

void LogFightOver(ModuleState& m, std::uint32_t now, int let_go) noexcept {
  if (!LogOn(m.log)) return;
  LogLine(m.log, now, "the fight is over: one side stands; %d fighter%s let go", let_go,
          let_go == 1 ? "" : "s");
  LogFlush(m.log);
}

}  // namespace ruckvale
