#include "tools/story.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iomanip>

#include "host/script_main.h"
#include "sim/weapon_lookup.h"
#include "tools/json.h"
#include "tools/weapon_odds.h"

namespace ruckvale::tools {

namespace {

std::string Stamp(double t) {
  char buf[32];
  const int minutes = static_cast<int>(t / 60);
  std::snprintf(buf, sizeof buf, "[%02d:%06.3f]", minutes, t - minutes * 60.0);
  return buf;
}

const char* JsonBool(bool b) {
  return b ? "true" : "false";
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

const char* TriggerText(const FightStart& fight) {
  return fight.by_timer ? "timer" : fight.by_pad ? "pad" : "key";
}

std::string FighterText(const FighterInfo& f) {
  std::string text = "\n             ped " + std::to_string(f.ped) + ", group " +
                     std::to_string(f.group) + ", " + WeaponText(f) + ", shouts " + f.line;
  if (f.off_hand) text += "; the gun is in the off hand and does not shoot";
  if (f.from_story) text += "; taken from a story mission";
  if (f.corpse) text += "; a corpse";
  if (f.held != LeftOut::None) text += std::string("; ") + LeftOutText(f.held);
  if (f.melee_at_range) text += "; a blade or fists kept at range";
  return text;
}

std::string FighterJson(const FighterInfo& f) {
  return "{\"ped\":" + std::to_string(f.ped) + ",\"group\":" + std::to_string(f.group) +
         ",\"weapon\":" + JsonString(f.weapon_name) +
         ",\"category\":" + JsonString(CategoryText(f.category)) +
         ",\"ammo\":" + std::to_string(f.ammo) + ",\"line\":" + JsonString(f.line) +
         ",\"off_hand\":" + JsonBool(f.off_hand) + ",\"from_story\":" + JsonBool(f.from_story) +
         ",\"corpse\":" + JsonBool(f.corpse) + ",\"held\":" +
         (f.held != LeftOut::None ? JsonString(LeftOutText(f.held)) : std::string("null")) +
         ",\"melee_at_range\":" + JsonBool(f.melee_at_range) + "}";
}

}  // namespace

Story::Story(std::ostream& out, bool json, bool quiet, const FightSettings& settings)
    : out_(out), json_(json), quiet_(quiet), settings_(settings) {}

void Story::Emit(double time, const std::string& text, const std::string& json) {
  if (quiet_) return;
  if (json_) {
    out_ << "{\"t\":" << JsonSeconds(time) << "," << json << "}\n";
  } else {
    out_ << Stamp(time) << ' ' << text << '\n';
  }
}

void Story::OnSceneEvent(double time, const sim::SceneEvent& e, const sim::World& world,
                         const std::vector<Ped>& fighters) {
  const std::string ped = std::to_string(e.ped);
  const bool fighter = std::find(fighters.begin(), fighters.end(), e.ped) != fighters.end();
  switch (e.kind) {
    case sim::SceneEvent::Died: {
      ++counts_.deaths;
      counts_.fighter_deaths += fighter ? 1 : 0;
      const sim::SimPed* by = world.Find(e.by);
      const std::string weapon =
          by == nullptr ? "?" : CategoryText(sim::CategoryOfWeapon(by->current_weapon));
      Emit(time,
           (fighter ? "fighter " : "ped ") + ped + " dies (" + weapon + " of ped " +
               std::to_string(e.by) + ")",
           "\"event\":\"death\",\"ped\":" + ped + ",\"by\":" + std::to_string(e.by) +
               ",\"weapon\":" + JsonString(weapon));
      break;
    }
    case sim::SceneEvent::Vanished:
      Emit(time, "ped " + ped + " is gone", "\"event\":\"vanished\",\"ped\":" + ped);
      break;
    case sim::SceneEvent::WalkedIn: {
      const sim::SimPed* p = world.Find(e.ped);
      char where[64];
      std::snprintf(
          where, sizeof where, "%.0f units out",
          p ? std::hypot(static_cast<double>(p->pos.x), static_cast<double>(p->pos.y)) : 0.0);
      Emit(time, "ped " + ped + " walks in, " + where, "\"event\":\"walked_in\",\"ped\":" + ped);
      break;
    }
    case sim::SceneEvent::DroppedOut:
      if (fighter) {
        Emit(time, "fighter " + ped + " drops out of combat",
             "\"event\":\"dropped_out\",\"ped\":" + ped);
      }
      break;
    case sim::SceneEvent::Fled:
      if (fighter) {
        ++counts_.fled;
        Emit(time,
             "fighter " + ped + " flees instead of fighting (combat attribute 17: always flee)",
             "\"event\":\"fled\",\"ped\":" + ped);
      }
      break;
    case sim::SceneEvent::CutsceneStart:
    case sim::SceneEvent::CutsceneEnd:
      break;  // the gate lines come from what the module does
  }
}

void Story::OnForeground(double time, bool in_foreground) {
  Emit(time,
       in_foreground ? "the game's window has the foreground again"
                     : "another program takes the foreground: the game ignores its key",
       std::string("\"event\":\"foreground\",\"game\":") + JsonBool(in_foreground));
}

void Story::WriteGate(double time, bool gated) {
  if (gated) {
    if (!gated_) {
      gated_ = true;
      gated_since_ = time;
      gated_passes_ = 0;
      ++counts_.gated_stretches;
      Emit(time,
           "the game set the player's reset flag " + std::to_string(kResetFlagGate) +
               " (as it may in a cutscene): the module sits out until it clears",
           "\"event\":\"gate_closed\"");
    }
    ++gated_passes_;
    return;
  }
  if (!gated_) return;
  gated_ = false;
  char buf[160];
  std::snprintf(buf, sizeof buf,
                "reset flag %d clear again after %.1f s: the module carries on (%d pass%s "
                "skipped)",
                kResetFlagGate, time - gated_since_, gated_passes_, gated_passes_ == 1 ? "" : "es");
  Emit(time, buf, "\"event\":\"gate_open\",\"passes_skipped\":" + std::to_string(gated_passes_));
}

void Story::WriteRoll(double time, bool hit) {
  ++counts_.rolls;
  counts_.roll_hits += hit ? 1 : 0;
  Emit(time, hit ? "timer roll: hit" : "timer roll: miss",
       std::string("\"event\":\"roll\",\"hit\":") + JsonBool(hit));
}

void Story::WriteFighters(const FightStart& fight) {
  const std::string trigger = TriggerText(fight);
  (fight.by_timer ? counts_.timer_fights
   : fight.by_pad ? counts_.pad_fights
                  : counts_.key_fights) += 1;
  std::string text = "fight starts (" + trigger + "), " + std::to_string(fight.fighters.size()) +
                     (fight.fighters.size() == 1 ? " fighter:" : " fighters:");
  std::string json = "\"event\":\"fight_start\",\"trigger\":\"" + trigger + "\",\"fighters\":[";
  for (std::size_t i = 0; i < fight.fighters.size(); ++i) {
    const FighterInfo& f = fight.fighters[i];
    counts_.weapon_seen[f.category ? static_cast<int>(*f.category) : 8] += 1;
    counts_.off_hand += f.off_hand ? 1 : 0;
    counts_.corpses += f.corpse ? 1 : 0;
    counts_.mount_drawn += f.held == LeftOut::PlayersMount ? 1 : 0;
    counts_.held_drawn += f.held != LeftOut::None && f.held != LeftOut::PlayersMount ? 1 : 0;
    counts_.melee_at_range += f.melee_at_range ? 1 : 0;
    text += FighterText(f);
    json += (i ? "," : "") + FighterJson(f);
  }
  if (!fight.groups_hate && fight.fighters.size() > 1) {
    ++counts_.cold_fights;
    text += "\n             the two groups do not hate each other: the fighters soon stop";
  }
  Emit(fight.time, text, json + "],\"groups_hate\":" + JsonBool(fight.groups_hate));
  const std::size_t n = fight.fighters.size();
  counts_.fighters_min = counts_.with_fighters == 0 ? n : std::min(counts_.fighters_min, n);
  counts_.fighters_max = std::max(counts_.fighters_max, n);
  counts_.fighters_total += n;
  ++counts_.with_fighters;
}

void Story::WriteFightStart(const FightStart& fight, bool fight_ran) {
  if (fight.empty_fight) {
    ++counts_.nobody_fights;
    const std::string trigger = TriggerText(fight);
    Emit(fight.time,
         "fight start (" + trigger + "): fight_group_size 0 starts a fight of nobody" +
             (fight_ran ? "; the running fight's fighters are let go" : ""),
         "\"event\":\"fight_start\",\"trigger\":\"" + trigger + "\",\"fighters\":[]");
  } else if (fight.fighters.empty()) {
    ++counts_.empty_fights;
    const std::string trigger = TriggerText(fight);
    const auto candidates =
        std::count_if(fight.listed.begin(), fight.listed.end(),
                      [](const ListedPed& l) { return l.reason == LeftOut::None; });
    const std::string why =
        fight.filtered ? "too few peds qualify (" + std::to_string(candidates) + " of " +
                             std::to_string(fight.listed.size()) + " listed)"
                       : "the game lists " + std::to_string(fight.listed.size()) +
                             (fight.listed.size() == 1 ? " ped" : " peds") + ", fewer than the " +
                             std::to_string(settings_.fight_group_size) + " the fight needs";
    Emit(fight.time,
         "fight start (" + trigger + "): " + why + (fight_ran ? ", the running fight goes on" : ""),
         "\"event\":\"fight_start\",\"trigger\":\"" + trigger + "\",\"fighters\":[]");
  } else {
    WriteFighters(fight);
  }
}

void Story::OnPass(double time, const PassEvents& events, const sim::Game& game) {
  bool fight_ran = events.fight_was_running;
  WriteGate(time, events.gated);
  if (events.gated) return;
  if (events.roll) WriteRoll(time, *events.roll);
  WriteToggles(time, events);
  if (events.key_ignored) {
    ++counts_.ignored_keys;
    Emit(time, "key released while another program has the foreground: ignored",
         "\"event\":\"key_ignored\"");
  }
  if (events.key_modifier_up) {
    Emit(time, "key released without its modifier held: ignored",
         "\"event\":\"key_ignored\",\"why\":\"modifier\"");
  }
  if (events.pad_ignored) {
    Emit(time, "pad combination with the keyboard and mouse in use: ignored",
         "\"event\":\"pad_ignored\"");
  }
  for (const FightStart& fight : events.starts) {
    WriteFightStart(fight, fight_ran);
    if (!fight.fighters.empty() || fight.empty_fight) fight_ran = !fight.fighters.empty();
  }
  for (const RetaskEvent& r : events.retasks) {
    ++counts_.retasks;
    const std::string who = std::to_string(r.ped), whom = std::to_string(r.target);
    Emit(time, "fighter " + who + " re-tasked against " + whom,
         "\"event\":\"retask\",\"ped\":" + who + ",\"target\":" + whom);
  }
  counts_.released += events.released;
  counts_.story_taken = game.world.story_peds_taken;
  counts_.own_side = game.world.own_side_orders;
  counts_.let_go_blind = game.world.let_go_blind;
  counts_.kept_now = game.world.KeptPersistent();
  counts_.kept_peak = std::max(counts_.kept_peak, counts_.kept_now);
  WriteLeaves(time, events);
}

void Story::WriteToggles(double time, const PassEvents& events) {
  if (events.toggle_ignored) {
    Emit(time,
         "toggle key released while another program has the foreground (or without its "
         "modifier): ignored",
         "\"event\":\"toggle_ignored\"");
  }
  if (!events.toggled) return;
  ++counts_.toggles;
  Emit(time,
       *events.toggled ? "toggle key: the module's triggers are on again"
                       : "toggle key: the module's triggers are off (a running fight goes on)",
       std::string("\"event\":\"toggle\",\"on\":") + JsonBool(*events.toggled));
}

void Story::WriteLeaves(double time, const PassEvents& events) {
  for (const LeaveEvent& l : events.leaves) {
    ++counts_.pruned;
    const std::string ped = std::to_string(l.ped);
    const char* why = l.why == LeaveEvent::Gone   ? "gone"
                      : l.why == LeaveEvent::Dead ? "dead"
                                                  : "won";
    if (l.why == LeaveEvent::Won) {
      Emit(time, "fighter " + ped + " walks away: its side won, the module lets it go",
           "\"event\":\"pruned\",\"ped\":" + ped + ",\"why\":\"won\"");
    } else {
      Emit(time, "fighter " + ped + " leaves the roster (" + why + ")",
           "\"event\":\"pruned\",\"ped\":" + ped + ",\"why\":\"" + why + "\"");
    }
  }
  if (!events.fight_over) return;
  ++counts_.fights_ended;
  Emit(time, "the fight is over: one side stands", "\"event\":\"fight_over\"");
}

}  // namespace ruckvale::tools
