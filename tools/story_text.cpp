#include <algorithm>
#include <cstdio>
#include <utility>

#include "host/notice.h"
#include "host/script_main.h"
#include "tools/story_lines.h"
#include "tools/weapon_odds.h"

namespace ruckvale::tools {

namespace {

std::string Stamp(double t) {
  char buf[32];
  const int minutes = static_cast<int>(t / 60);
  std::snprintf(buf, sizeof buf, "[%02d:%06.3f]", minutes, t - minutes * 60.0);
  return buf;
}

// "Shotgun WEAPON_SHOTGUN_PUMP with 31 rounds", "Melee WEAPON_MELEE_KNIFE", "unarmed".
std::string WeaponText(const FighterInfo& f) {
  if (!f.category) return "unarmed";
  std::string text = std::string(CategoryText(f.category)) + " " + f.weapon_name;
  if (*f.category == WeaponCategory::Melee) return text;
  return text + " with " + std::to_string(f.ammo) +
         (*f.category == WeaponCategory::Bow         ? " arrows"
          : *f.category == WeaponCategory::Throwable ? " to throw"
                                                     : " rounds");
}

std::string FighterText(const FighterInfo& f) {
  std::string text = "\n             ped " + std::to_string(f.ped) + ", group " +
                     std::to_string(f.group) + ", " + WeaponText(f) + ", shouts " + f.line;
  if (f.off_hand) text += "; the gun is in the off hand and does not shoot";
  if (f.from_story) text += "; taken from a story mission";
  if (f.corpse) text += "; a corpse";
  if (f.held != LeftOut::None) text += std::string("; ") + LeftOutText(f.held);
  if (f.melee_at_range) text += "; a blade or fists kept at range";
  if (f.lawman) text += "; a lawman";
  return text;
}

std::string FightersText(const FightStart& fight) {
  std::string text = "fight starts (" + std::string(TriggerText(fight)) + "), " +
                     std::to_string(fight.fighters.size()) +
                     (fight.fighters.size() == 1 ? " fighter:" : " fighters:");
  for (const FighterInfo& f : fight.fighters) text += FighterText(f);
  if (!fight.groups_hate && fight.fighters.size() > 1) {
    text += "\n             the two groups do not hate each other: the fighters soon stop";
  }
  return text;
}

// `fight_ran`: a fight was running when this one was triggered.
std::string FightStartText(const FightStart& fight, bool fight_ran, std::int32_t group_size) {
  const std::string trigger = TriggerText(fight);
  if (fight.empty_fight) {
    return "fight start (" + trigger + "): fight_group_size 0 starts a fight of nobody" +
           (fight_ran ? "; the running fight's fighters are let go" : "");
  }
  if (!fight.fighters.empty()) return FightersText(fight);
  const auto candidates =
      std::count_if(fight.listed.begin(), fight.listed.end(),
                    [](const ListedPed& l) { return l.reason == LeftOut::None; });
  const std::string why =
      fight.filtered ? "too few peds qualify (" + std::to_string(candidates) + " of " +
                           std::to_string(fight.listed.size()) + " listed)"
                     : "the game lists " + std::to_string(fight.listed.size()) +
                           (fight.listed.size() == 1 ? " ped" : " peds") + ", fewer than the " +
                           std::to_string(group_size) + " the fight needs";
  return "fight start (" + trigger + "): " + why + (fight_ran ? ", the running fight goes on" : "");
}

std::string GateOpenText(const StoryEntry& e) {
  char buf[160];
  std::snprintf(buf, sizeof buf,
                "reset flag %d clear again after %.1f s: the module carries on (%d pass%s "
                "skipped)",
                kResetFlagGate, e.number, e.count, e.count == 1 ? "" : "es");
  return buf;
}

std::string SceneText(const StoryEntry& e) {
  const std::string ped = std::to_string(e.ped);
  switch (e.kind) {
    case StoryEntry::Death:
      return (e.flag ? "fighter " : "ped ") + ped + " dies (" + e.word + " of ped " +
             std::to_string(e.other) + ")";
    case StoryEntry::Vanished:
      return "ped " + ped + " is gone";
    case StoryEntry::WalkedIn: {
      char where[64];
      std::snprintf(where, sizeof where, "%.0f units out", e.number);
      return "ped " + ped + " walks in, " + where;
    }
    case StoryEntry::DroppedOut:
      return "fighter " + ped + " drops out of combat";
    case StoryEntry::LawJoined:
      return "lawman " + ped + " steps in against fighter " + std::to_string(e.other) +
             " (the law hates the brawl groups); the fighter fights back";
    default:
      return "fighter " + ped + " flees instead of fighting (combat attribute 17: always flee)";
  }
}

std::string LeftText(const StoryEntry& e) {
  const std::string ped = std::to_string(e.ped);
  if (e.leave == LeaveEvent::Won) {
    return "fighter " + ped + " walks away: its side won, the module lets it go";
  }
  return "fighter " + ped + " leaves the roster (" +
         (e.leave == LeaveEvent::Gone ? "gone" : "dead") + ")";
}

// "key released while the triggers are switched off: ignored"; `other` the
// binding that shares the key.
std::string IgnoredText(const std::string& what, const char* other, Ignored why) {
  if (why == Ignored::OtherBinding) {
    return what + " released: by the modifiers held, the release is the " + other + "'s";
  }
  if (why == Ignored::SitOut) {
    return what + " released while the module sat out (reset flag " +
           std::to_string(kResetFlagGate) + "): ignored";
  }
  static constexpr std::pair<Ignored, const char*> kWhy[] = {
      {Ignored::Off, "while the triggers are switched off"},
      {Ignored::ModifierUp, "without its modifier held"},
      {Ignored::Background, "while another program has the foreground"},
      {Ignored::Keyboard, "with the keyboard and mouse in use"},
      {Ignored::KeyFight, "in the pass the key started a fight (one fight a pass)"},
  };
  for (const auto& [reason, text] : kWhy) {
    if (reason == why) return what + " released " + text + ": ignored";
  }
  return what + " released: ignored";
}

std::string EntryText(const StoryEntry& e, std::int32_t group_size) {
  switch (e.kind) {
    case StoryEntry::Foreground:
      return e.flag ? "the game's window has the foreground again"
                    : "another program takes the foreground: the game ignores its key";
    case StoryEntry::GateClosed:
      return "the game set the player's reset flag " + std::to_string(kResetFlagGate) +
             " (as it may in a cutscene): the module sits out until it clears";
    case StoryEntry::GateOpen:
      return GateOpenText(e);
    case StoryEntry::Roll:
      return e.flag ? "timer roll: hit" : "timer roll: miss";
    case StoryEntry::KeyIgnored:
      return IgnoredText("key", "toggle key", e.ignored);
    case StoryEntry::PadIgnored:
      return IgnoredText("pad combination", "", e.ignored);
    case StoryEntry::ToggleIgnored:
      return IgnoredText("toggle key", "trigger key", e.ignored);
    case StoryEntry::Toggle:
      return e.flag ? "toggle key: the module's triggers are on again"
                    : "toggle key: the module's triggers are off (a running fight goes on)";
    case StoryEntry::ReloadIgnored:
      return IgnoredText("reload key", "", e.ignored);
    case StoryEntry::Reload:
      return std::string("reload key: the module read Ruckvale.ini again; ") +
             (*e.word != '\0' ? std::string("changed: ") + e.word : "nothing changed") +
             (e.flag ? " (the running fight goes on)" : "");
    case StoryEntry::Fight:
      return FightStartText(*e.fight, e.flag, group_size);
    case StoryEntry::Retask:
      return "fighter " + std::to_string(e.ped) + " re-tasked against " + std::to_string(e.other);
    case StoryEntry::Left:
      return LeftText(e);
    case StoryEntry::FightOver:
      return "the fight is over: one side stands";
    case StoryEntry::Probe:
      return std::string("Ruckvale.log: ") + e.word;
    case StoryEntry::Notice:
      return e.count == 0 ? std::string("notice \"") + e.word + "\" refused by the game (id 0)"
                          : std::string("notice \"") + e.word + "\" shown (id " +
                                std::to_string(e.count) + ")";
    case StoryEntry::NoticeDropped:
      return std::string("notice (") + e.word + ") dropped: not shown within 10 s (" +
             NoticeHoldText(e.held) + ")";
    default:
      return SceneText(e);
  }
}

}  // namespace

const char* TriggerText(const FightStart& fight) {
  return fight.by_timer ? "timer" : fight.by_pad ? "pad" : "key";
}

std::string StoryTextLine(const StoryEntry& entry, std::int32_t fight_group_size) {
  return Stamp(entry.time) + ' ' + EntryText(entry, fight_group_size) + '\n';
}

}  // namespace ruckvale::tools
