#include "tools/json.h"
#include "tools/story_lines.h"
#include "tools/weapon_odds.h"

namespace ruckvale::tools {

namespace {

const char* JsonBool(bool b) {
  return b ? "true" : "false";
}

std::string FighterJson(const FighterInfo& f) {
  return "{\"ped\":" + std::to_string(f.ped) + ",\"group\":" + std::to_string(f.group) +
         ",\"weapon\":" + JsonString(f.weapon_name) +
         ",\"category\":" + JsonString(CategoryText(f.category)) +
         ",\"ammo\":" + std::to_string(f.ammo) + ",\"line\":" + JsonString(f.line) +
         ",\"off_hand\":" + JsonBool(f.off_hand) + ",\"from_story\":" + JsonBool(f.from_story) +
         ",\"corpse\":" + JsonBool(f.corpse) + ",\"held\":" +
         (f.held != LeftOut::None ? JsonString(LeftOutText(f.held)) : std::string("null")) +
         ",\"melee_at_range\":" + JsonBool(f.melee_at_range) + ",\"lawman\":" + JsonBool(f.lawman) +
         "}";
}

std::string FightStartJson(const FightStart& fight) {
  std::string json = "\"event\":\"fight_start\",\"trigger\":\"" + std::string(TriggerText(fight)) +
                     "\",\"fighters\":[";
  if (fight.fighters.empty()) return json + "]";
  for (std::size_t i = 0; i < fight.fighters.size(); ++i) {
    json += (i ? "," : "") + FighterJson(fight.fighters[i]);
  }
  return json + "],\"groups_hate\":" + JsonBool(fight.groups_hate);
}

std::string SceneJson(const StoryEntry& e) {
  const std::string ped = std::to_string(e.ped);
  switch (e.kind) {
    case StoryEntry::Death:
      return "\"event\":\"death\",\"ped\":" + ped + ",\"by\":" + std::to_string(e.other) +
             ",\"weapon\":" + JsonString(e.word);
    case StoryEntry::Vanished:
      return "\"event\":\"vanished\",\"ped\":" + ped;
    case StoryEntry::WalkedIn:
      return "\"event\":\"walked_in\",\"ped\":" + ped;
    case StoryEntry::DroppedOut:
      return "\"event\":\"dropped_out\",\"ped\":" + ped;
    case StoryEntry::LawJoined:
      return "\"event\":\"law_joined\",\"ped\":" + ped + ",\"against\":" + std::to_string(e.other);
    default:
      return "\"event\":\"fled\",\"ped\":" + ped;
  }
}

std::string IgnoredJson(Ignored why) {
  switch (why) {
    case Ignored::Off:
      return "\"off\"";
    case Ignored::ModifierUp:
      return "\"modifier\"";
    case Ignored::OtherBinding:
      return "\"other_binding\"";
    case Ignored::Background:
      return "\"background\"";
    case Ignored::Keyboard:
      return "\"keyboard\"";
    case Ignored::KeyFight:
      return "\"key_fight\"";
    case Ignored::SitOut:
      return "\"sit_out\"";
    case Ignored::None:
      break;
  }
  return "null";
}

std::string HeldJson(NoticeHold held) {
  switch (held) {
    case NoticeHold::HelpCurrent:
      return "\"help_current\"";
    case NoticeHold::HelpHidden:
      return "\"help_hidden\"";
    case NoticeHold::NotFadedIn:
      return "\"not_faded_in\"";
    case NoticeHold::PauseMenu:
      return "\"pause_menu\"";
    case NoticeHold::HudHidden:
      return "\"hud_hidden\"";
    case NoticeHold::SatOut:
      return "\"sit_out\"";
    case NoticeHold::None:
      break;
  }
  return "null";
}

std::string EntryJson(const StoryEntry& e) {
  switch (e.kind) {
    case StoryEntry::Foreground:
      return std::string("\"event\":\"foreground\",\"game\":") + JsonBool(e.flag);
    case StoryEntry::GateClosed:
      return "\"event\":\"gate_closed\"";
    case StoryEntry::GateOpen:
      return "\"event\":\"gate_open\",\"passes_skipped\":" + std::to_string(e.count);
    case StoryEntry::Roll:
      return std::string("\"event\":\"roll\",\"hit\":") + JsonBool(e.flag);
    case StoryEntry::KeyIgnored:
      return "\"event\":\"key_ignored\",\"why\":" + IgnoredJson(e.ignored);
    case StoryEntry::PadIgnored:
      return "\"event\":\"pad_ignored\",\"why\":" + IgnoredJson(e.ignored);
    case StoryEntry::ToggleIgnored:
      return "\"event\":\"toggle_ignored\",\"why\":" + IgnoredJson(e.ignored);
    case StoryEntry::Toggle:
      return std::string("\"event\":\"toggle\",\"on\":") + JsonBool(e.flag);
    case StoryEntry::ReloadIgnored:
      return "\"event\":\"reload_ignored\",\"why\":" + IgnoredJson(e.ignored);
    case StoryEntry::Reload:
      return "\"event\":\"reload\",\"changed\":" + JsonString(e.word);
    case StoryEntry::Fight:
      return FightStartJson(*e.fight);
    case StoryEntry::Retask:
      return "\"event\":\"retask\",\"ped\":" + std::to_string(e.ped) +
             ",\"target\":" + std::to_string(e.other);
    case StoryEntry::Left:
      return "\"event\":\"pruned\",\"ped\":" + std::to_string(e.ped) + ",\"why\":\"" +
             (e.leave == LeaveEvent::Won    ? "won"
              : e.leave == LeaveEvent::Gone ? "gone"
                                            : "dead") +
             "\"";
    case StoryEntry::FightOver:
      return "\"event\":\"fight_over\"";
    case StoryEntry::Probe:
      return "\"event\":\"probe\",\"line\":" + JsonString(e.word);
    case StoryEntry::Notice:
      return "\"event\":\"notice\",\"text\":" + JsonString(e.word) +
             ",\"id\":" + std::to_string(e.count);
    case StoryEntry::NoticeDropped:
      return "\"event\":\"notice_dropped\",\"notice\":" + JsonString(e.word) +
             ",\"why\":" + HeldJson(e.held);
    default:
      return SceneJson(e);
  }
}

}  // namespace

std::string StoryJsonLine(const StoryEntry& entry) {
  return "{\"t\":" + JsonSeconds(entry.time) + "," + EntryJson(entry) + "}\n";
}

}  // namespace ruckvale::tools
