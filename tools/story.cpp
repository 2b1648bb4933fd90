#include "tools/story.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iomanip>

#include "fight/weapons.h"
#include "host/main_loop_state.h"
#include "sim/weapon_lookup.h"
#include "tools/ini_check.h"

namespace ruckvale::tools {

namespace {

Ped AsPed(std::uint64_t v) {
  return static_cast<Ped>(static_cast<std::uint32_t>(v));
}

std::string Stamp(double t) {
  char buf[32];
  const int minutes = static_cast<int>(t / 60);
  std::snprintf(buf, sizeof buf, "[%02d:%06.3f]", minutes, t - minutes * 60.0);
  return buf;
}

std::string JsonTime(double t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", t);
  return buf;
}

std::string Unquoted(const std::string& text) {
  const std::size_t a = text.find('"');
  const std::size_t b = text.find('"', a + 1);
  return a == std::string::npos || b == std::string::npos ? text : text.substr(a + 1, b - a - 1);
}

}  // namespace

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

const char* LeftOutText(LeftOut reason) {
  switch (reason) {
    case LeftOut::None:
      return "candidate";
    case LeftOut::NotExisting:
      return "not existing";
    case LeftOut::Player:
      return "the player";
    case LeftOut::NotHuman:
      return "not human";
    case LeftOut::TooFar:
      return "too far";
    case LeftOut::Repeated:
      return "listed twice";
  }
  return "";
}

Story::Story(std::ostream& out, bool json, bool quiet, const FightSettings& settings)
    : out_(out), json_(json), quiet_(quiet), settings_(settings) {}

void Story::Emit(double time, const std::string& text, const std::string& json) {
  if (quiet_) return;
  if (json_) {
    out_ << "{\"t\":" << JsonTime(time) << "," << json << "}\n";
  } else {
    out_ << Stamp(time) << ' ' << text << '\n';
  }
}

void Story::OnSceneEvent(double time, const sim::SceneEvent& e, const sim::World& world) {
  const std::string ped = std::to_string(e.ped);
  const bool fighter = std::find(roster_.begin(), roster_.end(), e.ped) != roster_.end();
  switch (e.kind) {
    case sim::SceneEvent::Died: {
      ++deaths_;
      fighter_deaths_ += fighter ? 1 : 0;
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
        ++fled_;
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

void Story::ReadFightStart(double time, bool by_timer, const std::vector<sim::Call>& calls,
                           std::size_t begin, std::size_t end, const sim::Game& game) {
  FightStart fight;
  fight.time = time;
  fight.by_timer = by_timer;
  const Ped player = AsPed(calls[begin].result);
  bool have_player_pos = false;
  for (std::size_t i = begin; i < end; ++i) {
    const sim::Call& c = calls[i];
    if (c.name == "GET_PED_NEARBY_PEDS") {
      std::vector<Ped> seen;
      for (const Ped p : c.listed) {
        ListedPed l;
        l.ped = p;
        if (std::find(seen.begin(), seen.end(), p) != seen.end()) l.reason = LeftOut::Repeated;
        seen.push_back(p);
        fight.listed.push_back(l);
      }
    } else if (c.name == "GET_ENTITY_COORDS") {
      const Vector3 v{c.position[0], c.position[1], c.position[2]};
      const Ped p = AsPed(c.args[0]);
      // The first position a fight start reads is the player's.
      if (!have_player_pos) fight.player_pos = v;
      have_player_pos = true;
      for (ListedPed& l : fight.listed) {
        if (l.ped != p || l.reason != LeftOut::None) continue;
        l.pos = v;
        const float dx = v.x - fight.player_pos.x, dy = v.y - fight.player_pos.y,
                    dz = v.z - fight.player_pos.z;
        if (std::sqrt(dx * dx + dy * dy + dz * dz) > settings_.fight_radius) {
          l.reason = LeftOut::TooFar;
        }
        break;
      }
    } else if (c.name == "DOES_ENTITY_EXIST" && c.result == 0) {
      for (ListedPed& l : fight.listed) {
        if (l.ped == AsPed(c.args[0]) && l.reason == LeftOut::None) l.reason = LeftOut::NotExisting;
      }
    } else if (c.name == "IS_PED_HUMAN" && c.result == 0) {
      for (ListedPed& l : fight.listed) {
        if (l.ped == AsPed(c.args[0]) && l.reason == LeftOut::None) {
          l.reason = LeftOut::NotHuman;
          l.human = false;
        }
      }
    } else if (c.name == "SET_ENTITY_AS_MISSION_ENTITY") {
      FighterInfo f;
      f.ped = AsPed(c.args[0]);
      f.weapon_name = "unarmed";
      fight.fighters.push_back(f);
    } else if (c.name == "GIVE_WEAPON_TO_PED" && !fight.fighters.empty()) {
      FighterInfo& f = fight.fighters.back();
      f.weapon = static_cast<Hash>(c.args[1]);
      f.weapon_name = game.NameOf(f.weapon);
      f.category = sim::CategoryOfWeapon(f.weapon);
      f.ammo = static_cast<std::int32_t>(static_cast<std::uint32_t>(c.args[2]));
    } else if (c.name == "SET_PED_RELATIONSHIP_GROUP_HASH" && !fight.fighters.empty()) {
      fight.fighters.back().group =
          game.NameOf(static_cast<Hash>(c.args[1])) == "BRAWL_GROUP_2" ? 2 : 1;
    } else if (c.name == "PLAY_PED_AMBIENT_SPEECH_NATIVE" && !fight.fighters.empty()) {
      fight.fighters.back().line = Unquoted(c.text[1]);
    } else if (c.name == "TASK_COMBAT_PED" && calls[i - 1].name != "DOES_ENTITY_EXIST") {
      // The fight's own tasks; supervision's re-tasks follow a test of the target.
      fight.tasks.emplace_back(AsPed(c.args[0]), AsPed(c.args[1]));
    }
  }
  for (ListedPed& l : fight.listed) {
    if (l.ped == player && l.reason == LeftOut::None) l.reason = LeftOut::Player;
    if (const sim::SimPed* p = game.world.Find(l.ped)) {
      // The module read positions only of the peds it measured; the others
      // stand where the world has them.
      if (l.reason != LeftOut::None && l.reason != LeftOut::TooFar) l.pos = p->pos;
      l.human = p->species == sim::Species::Human;
      l.exists = p->exists;
    }
  }
  for (const sim::SimPed& p : game.world.peds) {
    if (p.handle == player || !p.exists) continue;
    const bool listed = std::any_of(fight.listed.begin(), fight.listed.end(),
                                    [&](const ListedPed& l) { return l.ped == p.handle; });
    if (!listed) fight.unlisted.push_back({p.handle, p.pos, p.species == sim::Species::Human});
  }

  JudgeFighters(fight, game.world);
  const std::string trigger = by_timer ? "timer" : "key";
  if (fight.fighters.empty()) {
    ++empty_fights_;
    int candidates = 0;
    for (const ListedPed& l : fight.listed) candidates += l.reason == LeftOut::None;
    Emit(time,
         "fight start (" + trigger + "): too few peds qualify (" + std::to_string(candidates) +
             " of " + std::to_string(fight.listed.size()) + " listed), the running fight goes on",
         "\"event\":\"fight_start\",\"trigger\":\"" + trigger + "\",\"fighters\":[]");
  } else {
    (by_timer ? timer_fights_ : key_fights_) += 1;
    roster_.clear();
    std::string text = "fight starts (" + trigger + "), " + std::to_string(fight.fighters.size()) +
                       (fight.fighters.size() == 1 ? " fighter:" : " fighters:");
    std::string json = "\"event\":\"fight_start\",\"trigger\":\"" + trigger + "\",\"fighters\":[";
    for (std::size_t i = 0; i < fight.fighters.size(); ++i) {
      const FighterInfo& f = fight.fighters[i];
      roster_.push_back(f.ped);
      weapon_seen_[f.category ? static_cast<int>(*f.category) : 8] += 1;
      text += "\n             ped " + std::to_string(f.ped) + ", group " + std::to_string(f.group) +
              ", " +
              (f.category ? std::string(CategoryText(f.category)) + " " + f.weapon_name
                          : std::string("unarmed"));
      if (f.category && *f.category != WeaponCategory::Melee) {
        text += " with " + std::to_string(f.ammo) +
                (*f.category == WeaponCategory::Bow         ? " arrows"
                 : *f.category == WeaponCategory::Throwable ? " to throw"
                                                            : " rounds");
      }
      text += ", shouts " + f.line;
      if (f.off_hand) text += "; the gun is in the off hand and does not shoot";
      if (f.from_story) text += "; taken from a story mission";
      if (f.corpse) text += "; a corpse";
      json += std::string(i ? "," : "") + "{\"ped\":" + std::to_string(f.ped) +
              ",\"group\":" + std::to_string(f.group) + ",\"weapon\":" + JsonString(f.weapon_name) +
              ",\"category\":" + JsonString(CategoryText(f.category)) +
              ",\"ammo\":" + std::to_string(f.ammo) + ",\"line\":" + JsonString(f.line) +
              ",\"off_hand\":" + (f.off_hand ? "true" : "false") +
              ",\"from_story\":" + (f.from_story ? "true" : "false") +
              ",\"corpse\":" + (f.corpse ? "true" : "false") + "}";
    }
    if (!fight.groups_hate && fight.fighters.size() > 1) {
      ++cold_fights_;
      text += "\n             the two groups do not hate each other: the fighters soon stop";
    }
    Emit(time, text, json + "],\"groups_hate\":" + (fight.groups_hate ? "true" : "false"));
  }
  if (!fight.fighters.empty()) {
    const std::size_t n = fight.fighters.size();
    fighters_min_ = with_fighters_ == 0 ? n : std::min(fighters_min_, n);
    fighters_max_ = std::max(fighters_max_, n);
    fighters_total_ += n;
    ++with_fighters_;
  }
  if (on_fight_start) on_fight_start(fight);
}

// What the world says of each fighter right after its fight start.
void Story::JudgeFighters(FightStart& fight, const sim::World& world) {
  for (FighterInfo& f : fight.fighters) {
    const sim::SimPed* p = world.Find(f.ped);
    if (p == nullptr) continue;
    const std::optional<WeaponCategory> held = sim::CategoryOfWeapon(p->off_hand_weapon);
    f.off_hand = held && *held != WeaponCategory::Melee && *held != WeaponCategory::Throwable;
    f.from_story = p->taken_from_story;
    f.corpse = p->life != sim::Life::Alive;
    off_hand_ += f.off_hand ? 1 : 0;
    corpses_ += f.corpse ? 1 : 0;
  }
  const auto g1 = world.groups.find("BRAWL_GROUP_1");
  const auto g2 = world.groups.find("BRAWL_GROUP_2");
  if (g1 == world.groups.end() || g2 == world.groups.end()) return;
  const auto level = [&world](Hash a, Hash b) {
    const auto it = world.relations.find({a, b});
    return it == world.relations.end() ? -1 : it->second;
  };
  fight.groups_hate = level(g1->second, g2->second) == sim::kRelationshipHate &&
                      level(g2->second, g1->second) == sim::kRelationshipHate;
}

void Story::OnForeground(double time, bool in_foreground) {
  Emit(time,
       in_foreground ? "the game's window has the foreground again"
                     : "another program takes the foreground: the game ignores its key",
       std::string("\"event\":\"foreground\",\"game\":") + (in_foreground ? "true" : "false"));
}

void Story::OnPass(double time, const std::vector<sim::Call>& calls, std::size_t begin,
                   const sim::Game& game) {
  // Skip the start-up calls of a first pass: everything before the gate test.
  std::size_t gate = begin;
  while (gate < calls.size() && calls[gate].name != "GET_PED_RESET_FLAG") ++gate;
  if (gate == calls.size()) return;
  const bool gated = calls[gate].result != 0;
  if (gated) {
    if (!gated_) {
      gated_ = true;
      gated_since_ = time;
      gated_passes_ = 0;
      ++gated_stretches_;
      Emit(time,
           "the game set the player's reset flag 187 (as it may in a cutscene): the module "
           "sits out until it clears",
           "\"event\":\"gate_closed\"");
    }
    ++gated_passes_;
    return;
  }
  if (gated_) {
    gated_ = false;
    char buf[128];
    std::snprintf(buf, sizeof buf,
                  "reset flag 187 clear again after %.1f s: the module carries on (%d pass%s "
                  "skipped)",
                  time - gated_since_, gated_passes_, gated_passes_ == 1 ? "" : "es");
    Emit(time, buf, "\"event\":\"gate_open\",\"passes_skipped\":" + std::to_string(gated_passes_));
  }

  const std::size_t tick_at = gate + 1;
  std::size_t key_at = tick_at;
  while (key_at < calls.size() && calls[key_at].name != "GetAsyncKeyState") ++key_at;
  const auto now = static_cast<std::uint32_t>(calls[tick_at].result);

  // The timer rule of the module, to tell the rolls that missed.
  const std::int64_t elapsed =
      has_rolled_ ? static_cast<std::int32_t>(now - last_roll_) : static_cast<std::int64_t>(now);
  bool rolled = elapsed >= TimerPeriodMs(settings_.fight_timer);
  std::vector<std::size_t> starts;
  for (std::size_t i = tick_at; i < calls.size(); ++i) {
    if (calls[i].name == "PLAYER_PED_ID") starts.push_back(i);
  }
  if (!starts.empty() && starts[0] < key_at) rolled = true;
  if (rolled) {
    has_rolled_ = true;
    last_roll_ = now;
    ++rolls_;
    const bool hit = !starts.empty() && starts[0] < key_at;
    roll_hits_ += hit ? 1 : 0;
    if (!hit) Emit(time, "timer roll: miss", "\"event\":\"roll\",\"hit\":false");
    if (hit) Emit(time, "timer roll: hit", "\"event\":\"roll\",\"hit\":true");
  }
  // A release the module let go: it asked for the foreground and started nothing.
  const bool asked_foreground =
      std::any_of(calls.begin() + static_cast<std::ptrdiff_t>(key_at), calls.end(),
                  [](const sim::Call& c) { return c.name == "GetForegroundWindow"; });
  if (asked_foreground && (starts.empty() || starts.back() < key_at)) {
    ++ignored_keys_;
    Emit(time, "key released while another program has the foreground: ignored",
         "\"event\":\"key_ignored\"");
  }
  for (std::size_t s = 0; s < starts.size(); ++s) {
    const std::size_t end = s + 1 < starts.size() ? starts[s + 1] : calls.size();
    // A fight start ends where supervision begins: after its last task or speech.
    ReadFightStart(time, starts[s] < key_at, calls, starts[s], end, game);
  }
  // Re-tasks: supervision tests the target's existence right before the task.
  for (std::size_t i = tick_at + 1; i < calls.size(); ++i) {
    if (calls[i].name != "TASK_COMBAT_PED" || calls[i - 1].name != "DOES_ENTITY_EXIST") continue;
    ++retasks_;
    const std::string who = std::to_string(AsPed(calls[i].args[0]));
    const std::string whom = std::to_string(AsPed(calls[i].args[1]));
    Emit(time, "fighter " + who + " re-tasked against " + whom,
         "\"event\":\"retask\",\"ped\":" + who + ",\"target\":" + whom);
  }
  for (std::size_t i = tick_at + 1; i < calls.size(); ++i) {
    released_ += calls[i].name == "SET_ENTITY_AS_NO_LONGER_NEEDED" ? 1 : 0;
  }
  story_taken_ = game.world.story_peds_taken;
  kept_now_ = game.world.KeptPersistent();
  kept_peak_ = std::max(kept_peak_, kept_now_);
  // Pruning happened at the end of this pass against this world.
  for (auto it = roster_.begin(); it != roster_.end();) {
    const sim::SimPed* p = game.world.Find(*it);
    const bool gone = p == nullptr || !p->exists;
    if (gone || p->life != sim::Life::Alive) {
      ++pruned_;
      const std::string ped = std::to_string(*it);
      Emit(time, "fighter " + ped + " leaves the roster (" + (gone ? "gone" : "dead") + ")",
           "\"event\":\"pruned\",\"ped\":" + ped);
      it = roster_.erase(it);
    } else {
      ++it;
    }
  }
}

// What the game made of the module's calls; 0 everywhere is a fight as meant.
void Story::PrintFaultSummary() {
  const std::pair<const char*, int> rows[] = {
      {"fighters that fled:", fled_},
      {"story peds taken over:", story_taken_},
      {"guns in the off hand:", off_hand_},
      {"corpses drawn as fighters:", corpses_},
      {"fights between groups that do not hate:", cold_fights_},
      {"key releases ignored in the background:", ignored_keys_},
  };
  out_ << "  what the game made of it (0 is a fight as meant, but for ignored keys):\n";
  for (const auto& [label, n] : rows) {
    char line[96];
    std::snprintf(line, sizeof line, "    %-40s %d\n", label, n);
    out_ << line;
  }
}

void Story::PrintSummary(double seconds) {
  const WeaponOdds odds = OddsOf(settings_);
  int armed_total = 0;
  for (const int n : weapon_seen_) armed_total += n;
  if (json_) {
    out_ << "{\"event\":\"summary\",\"seconds\":" << JsonTime(seconds) << ",\"rolls\":" << rolls_
         << ",\"roll_hits\":" << roll_hits_ << ",\"fights_timer\":" << timer_fights_
         << ",\"fights_key\":" << key_fights_ << ",\"fights_too_few\":" << empty_fights_
         << ",\"fighters\":" << fighters_total_ << ",\"retasks\":" << retasks_
         << ",\"deaths\":" << deaths_ << ",\"fighter_deaths\":" << fighter_deaths_
         << ",\"pruned\":" << pruned_ << ",\"released\":" << released_
         << ",\"kept_persistent\":" << kept_now_ << ",\"kept_persistent_peak\":" << kept_peak_
         << ",\"gated_stretches\":" << gated_stretches_ << ",\"fled\":" << fled_
         << ",\"story_peds_taken\":" << story_taken_ << ",\"off_hand_guns\":" << off_hand_
         << ",\"corpses_drawn\":" << corpses_ << ",\"fights_without_hate\":" << cold_fights_
         << ",\"keys_ignored_background\":" << ignored_keys_ << ",\"weapons\":{";
    for (int i = 0; i < 9; ++i) {
      const char* name = OddsRowName(i);
      out_ << (i ? "," : "") << "\"" << name << "\":{\"seen\":" << weapon_seen_[i]
           << ",\"odds_percent\":" << odds.percent[i] << "}";
    }
    out_ << "}}\n";
    return;
  }
  out_ << "\nSummary of " << seconds << " simulated seconds:\n";
  out_ << "  timer rolls:        " << rolls_ << " (" << roll_hits_ << " hit)\n";
  out_ << "  fights started:     " << timer_fights_ + key_fights_ << " (" << timer_fights_
       << " by the timer, " << key_fights_ << " by the key)";
  if (empty_fights_) {
    out_ << "; " << empty_fights_ << (empty_fights_ == 1 ? " trigger" : " triggers")
         << " found too few peds";
  }
  out_ << '\n';
  if (with_fighters_) {
    out_ << "  fighters per fight: " << std::fixed << std::setprecision(1)
         << static_cast<double>(fighters_total_) / with_fighters_ << std::defaultfloat << " (from "
         << fighters_min_ << " to " << fighters_max_ << ")\n";
  }
  out_ << "  re-tasks:           " << retasks_ << '\n';
  out_ << "  deaths:             " << deaths_ << " (" << fighter_deaths_
       << (fighter_deaths_ == 1 ? " fighter)\n" : " fighters)\n");
  out_ << "  left the roster:    " << pruned_ << '\n';
  out_ << "  released to game:   " << released_ << '\n';
  out_ << "  peds kept persistent: " << kept_now_ << " now, peak " << kept_peak_ << '\n';
  out_ << "  gated stretches:    " << gated_stretches_ << '\n';
  PrintFaultSummary();
  out_ << "  weapons seen          odds of the ini\n";
  for (int i = 0; i < 9; ++i) {
    const char* name = OddsRowName(i);
    const double seen = armed_total ? 100.0 * weapon_seen_[i] / armed_total : 0.0;
    char line[96];
    std::snprintf(line, sizeof line, "    %-10s %5d %5.1f %%   %3d %%\n", name, weapon_seen_[i],
                  seen, odds.percent[i]);
    out_ << line;
  }
}

}  // namespace ruckvale::tools
