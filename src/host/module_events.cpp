#include "host/module_events.h"

#include <cstdio>
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
                                                        "lassoed",
                                                        "the law"};

struct LineContext {
  ModuleState* m;
  std::uint32_t now;
};

void LogIniLine(void* context, int number, std::string_view, const IniLine& line) {
  const auto& c = *static_cast<const LineContext*>(context);
  LogLine(c.m->log, c.now, "Ruckvale.ini line %d: %s", number, DescribeIniLine(line).c_str());
}

bool NamedOnlyWhenSet(SettingKey key) {
  return key == SettingKey::probe || key == SettingKey::lawmen_fight ||
         key == SettingKey::law_steps_in || key == SettingKey::reload_key ||
         key == SettingKey::notify;
}

void LogValues(ModuleState& m, std::uint32_t now) {
  for (int i = 0; i < kSettingKeyCount; ++i) {
    const auto key = static_cast<SettingKey>(i);
    const std::string value = SettingValueText(key, GetSetting(m.settings, key));
    // The probe and the later keys are named only when set: a log without
    // them reads as before.
    if (NamedOnlyWhenSet(key) && value == kSettingKeys[i].default_text) continue;
    LogLine(m.log, now, "  %.*s = %s", static_cast<int>(kSettingKeys[i].name.size()),
            kSettingKeys[i].name.data(), value.c_str());
  }
}

// The setting that decides a reason, where one does, as the player would
// change it: "fight_radius = 50".
void LogLeftOut(ModuleState& m, std::uint32_t now, int count, int reason) {
  const FightSettings& s = m.settings;
  if (reason == static_cast<int>(LeftOutBy::TooFar)) {
    LogLine(m.log, now, "  left out: %d %s (fight_radius = %g)", count, kLeftOutWords[reason],
            static_cast<double>(s.fight_radius));
  } else if (reason == static_cast<int>(LeftOutBy::Law)) {
    // law_steps_in leaves the law out whatever lawmen_fight says.
    LogLine(m.log, now, "  left out: %d %s (%s)", count, kLeftOutWords[reason],
            s.law_steps_in ? "law_steps_in = true" : "lawmen_fight = false");
  } else if (reason == static_cast<int>(LeftOutBy::NotHuman)) {
    LogLine(m.log, now, "  left out: %d %s (humans_only = %s)", count, kLeftOutWords[reason],
            s.humans_only ? "true" : "false");
  } else {
    LogLine(m.log, now, "  left out: %d %s", count, kLeftOutWords[reason]);
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
    if (r.left_out[i] > 0) LogLeftOut(m, now, r.left_out[i], i);
  }
}

// "2,580": a count as a reader takes it in at a glance.
void GroupedCount(int n, char (&out)[16]) {
  char digits[16];
  const int len = std::snprintf(digits, sizeof digits, "%d", n);
  int o = 0;
  for (int i = 0; i < len; ++i) {
    if (i > 0 && digits[i - 1] != '-' && (len - i) % 3 == 0) out[o++] = ',';
    out[o++] = digits[i];
  }
  out[o] = '\0';
}

// Tenths of a second as "12.3".
void Seconds(std::uint32_t ms, char (&out)[16]) {
  std::snprintf(out, sizeof out, "%u.%u", ms / 1000, ms % 1000 / 100);
}

// Tells how often the trigger's last outcome came again since it was
// written, if it did, dated by the latest time.
void WriteRepeats(ModuleState& m, Trigger trigger) {
  TriggerRepeats& r = m.repeats[static_cast<int>(trigger)];
  if (r.repeats > 0) {
    char count[16];
    GroupedCount(r.repeats, count);
    char until[16];
    Seconds(r.last_tick - m.log.start_tick, until);
    LogLine(m.log, r.last_tick, "%s: the same %s more time%s until %s s",
            kTriggerNames[static_cast<int>(trigger)], count, r.repeats == 1 ? "" : "s", until);
  }
  r.repeats = 0;
}

// True when `outcome` is the trigger's last one again: counted, to be told
// when the outcome changes or a minute after the first repeat. Otherwise the
// earlier repeats are told and `outcome` becomes the last one.
bool CountedAsRepeat(ModuleState& m, Trigger trigger, const LoggedOutcome& outcome,
                     std::uint32_t now) {
  TriggerRepeats& r = m.repeats[static_cast<int>(trigger)];
  if (SameOutcome(r.last, outcome)) {
    if (r.repeats == 0) r.first_tick = now;
    ++r.repeats;
    r.last_tick = now;
    if (now - r.first_tick >= kRepeatsToldAfterMs) {
      WriteRepeats(m, trigger);
      LogFlush(m.log);
    }
    return true;
  }
  WriteRepeats(m, trigger);
  r.last = outcome;
  return false;
}

// A fight or a toggle: never a repeat, and the end of the trigger's run of
// repeats, which are told first.
void EndRepeats(ModuleState& m, Trigger trigger) {
  WriteRepeats(m, trigger);
  m.repeats[static_cast<int>(trigger)].last = LoggedOutcome{};
}

void WriteLawRelations(ModuleState& m, std::uint32_t now, bool steps_in) {
  if (steps_in) {
    LogLine(m.log, now,
            "the law (REL_COP, REL_GUAMA_LAW) and the brawlers now hate each other "
            "(law_steps_in = true)");
  } else {
    LogLine(m.log, now,
            "the law and the brawlers are back to the game's own relationship "
            "(law_steps_in = false)");
  }
}

LoggedOutcome NoFightOutcome(const FightStartReport& report) {
  LoggedOutcome o;
  o.kind = LoggedOutcome::Kind::NoFight;
  o.listed = report.listed;
  o.tested = report.tested;
  o.candidates = report.candidates;
  for (int i = 0; i < kLeftOutByCount; ++i) o.left_out[i] = report.left_out[i];
  return o;
}

// Whether the ini was found, what each of its lines did, every value in force.
void LogIniAndValues(ModuleState& m, bool have_ini, std::uint32_t now) {
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
}

}  // namespace

void LogStartUp(ModuleState& m, bool have_ini, std::uint32_t now) noexcept {
  if (!LogOn(m.log)) return;
  try {
    LogLine(m.log, now, "Ruckvale %s, script started%s", RUCKVALE_VERSION,
            m.script_starts > 1 ? " again (a reload): earlier fighters are forgotten" : "");
    LogIniAndValues(m, have_ini, now);
    LogLine(m.log, now, "the triggers are %s", m.main_loop.enabled ? "on" : "off (start_enabled)");
  } catch (...) {
    // Out of memory for a line's words: the log goes on without them.
  }
  LogFlush(m.log);
}

void LogReload(ModuleState& m, bool have_ini, const FightSettings& before, bool opened,
               std::uint32_t now) noexcept {
  if (!LogOn(m.log)) return;
  try {
    if (opened) LogLine(m.log, now, "Ruckvale %s, log switched on by a reload", RUCKVALE_VERSION);
    LogLine(m.log, now, "reload_key released: Ruckvale.ini read again");
    LogIniAndValues(m, have_ini, now);
    const std::string changed = ChangedSettings(before, m.settings);
    LogLine(m.log, now, "changed: %s", changed.empty() ? "nothing" : changed.c_str());
    LogLine(m.log, now, "the triggers stay %s%s", m.main_loop.enabled ? "on" : "off",
            m.settings.start_enabled != before.start_enabled
                ? " (start_enabled counts at the next start)"
                : "");
    if (!m.fight.roster.empty()) {
      LogLine(m.log, now, "the running fight goes on with its %d fighters",
              static_cast<int>(m.fight.roster.size()));
    }
  } catch (...) {
    // Out of memory for a line's words: the log goes on without them.
  }
  LogFlush(m.log);
}

void LogFightStart(ModuleState& m, std::uint32_t now, Trigger trigger,
                   const FightStartReport& r) noexcept {
  if (!LogOn(m.log)) return;
  const char* name = kTriggerNames[static_cast<int>(trigger)];
  if (!r.started) {
    if (CountedAsRepeat(m, trigger, NoFightOutcome(r), now)) return;
    LogTooFew(m, now, name, r);
    LogFlush(m.log);
    return;
  }
  EndRepeats(m, trigger);
  LogLine(m.log, now, "%s: fight of %d", name, r.fighters);
  for (int i = 0; i < r.fighters && i < kNearbyCapacity; ++i) {
    const RosterEntry& e = m.fight.roster[static_cast<std::size_t>(i)];
    const Armament& arms = r.arms[i];
    const char* weapon = WeaponNameOf(m.catalogue, arms.weapon);
    const char* category = arms.category ? WeaponCategoryName(*arms.category) : "unarmed";
    LogLine(m.log, now, "  ped %d, group %d, %s%s%s", e.ped, e.group, category, weapon ? " " : "",
            weapon ? weapon : "");
  }
  if (r.law_set) WriteLawRelations(m, now, true);
  LogFlush(m.log);
}

void LogLawRelations(ModuleState& m, std::uint32_t now, bool steps_in) noexcept {
  if (!LogOn(m.log)) return;
  WriteLawRelations(m, now, steps_in);
  LogFlush(m.log);
}

void LogIgnored(ModuleState& m, std::uint32_t now, Trigger trigger, const char* why) noexcept {
  if (!LogOn(m.log)) return;
  LoggedOutcome outcome;
  outcome.kind = LoggedOutcome::Kind::Ignored;
  outcome.why = why;
  if (CountedAsRepeat(m, trigger, outcome, now)) return;
  LogLine(m.log, now, "%s released: ignored, %s", kTriggerNames[static_cast<int>(trigger)], why);
  LogFlush(m.log);
}

void LogToggle(ModuleState& m, std::uint32_t now) noexcept {
  if (!LogOn(m.log)) return;
  EndRepeats(m, Trigger::Toggle);
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

void LogSitOutBegins(ModuleState& m, std::uint32_t since) noexcept {
  if (!LogOn(m.log)) return;
  LogLine(m.log, since,
          "Ruckvale sits out: the game set the player's reset flag 187 (a cutscene, a menu or "
          "a scripted scene); no trigger is read, and a key or pad released meanwhile is not "
          "seen, until it clears");
  LogFlush(m.log);
}

void LogSitOutEnds(ModuleState& m, std::uint32_t since, std::uint32_t now) noexcept {
  if (!LogOn(m.log)) return;
  char seconds[16];
  Seconds(now - since, seconds);
  LogLine(m.log, now, "Ruckvale is back after sitting out %s s", seconds);
  LogFlush(m.log);
}

void LogPendingRepeats(ModuleState& m) noexcept {
  for (int i = 0; i < kTriggerCount; ++i) {
    if (LogOn(m.log)) WriteRepeats(m, static_cast<Trigger>(i));
    m.repeats[i] = TriggerRepeats{};
  }
  LogFlush(m.log);
}

}  // namespace ruckvale
