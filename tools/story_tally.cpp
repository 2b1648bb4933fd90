#include "tools/story_tally.h"

#include <algorithm>

namespace ruckvale::tools {

namespace {

void CountFight(StoryCounts& c, const FightStart& fight) {
  if (fight.empty_fight) {
    ++c.nobody_fights;
    return;
  }
  if (fight.fighters.empty()) {
    ++c.empty_fights;
    return;
  }
  (fight.by_timer ? c.timer_fights : fight.by_pad ? c.pad_fights : c.key_fights) += 1;
  for (const FighterInfo& f : fight.fighters) {
    c.weapon_seen[f.category ? static_cast<int>(*f.category) : 8] += 1;
    c.off_hand += f.off_hand ? 1 : 0;
    c.corpses += f.corpse ? 1 : 0;
    c.mount_drawn += f.held == LeftOut::PlayersMount ? 1 : 0;
    c.held_drawn += f.held != LeftOut::None && f.held != LeftOut::PlayersMount ? 1 : 0;
    c.melee_at_range += f.melee_at_range ? 1 : 0;
    c.lawmen_drawn += f.lawman ? 1 : 0;
  }
  c.cold_fights += !fight.groups_hate && fight.fighters.size() > 1 ? 1 : 0;
  const std::size_t n = fight.fighters.size();
  c.fighters_min = c.with_fighters == 0 ? n : std::min(c.fighters_min, n);
  c.fighters_max = std::max(c.fighters_max, n);
  c.fighters_total += n;
  ++c.with_fighters;
}

}  // namespace

void CountEntry(StoryCounts& c, const StoryEntry& e) {
  switch (e.kind) {
    case StoryEntry::Death:
      ++c.deaths;
      c.fighter_deaths += e.flag ? 1 : 0;
      break;
    case StoryEntry::Fled:
      ++c.fled;
      break;
    case StoryEntry::GateClosed:
      ++c.gated_stretches;
      break;
    case StoryEntry::Roll:
      ++c.rolls;
      c.roll_hits += e.flag ? 1 : 0;
      break;
    case StoryEntry::KeyIgnored:
    case StoryEntry::PadIgnored:
      c.ignored_keys += e.kind == StoryEntry::KeyIgnored && e.ignored == Ignored::Background;
      c.ignored_off += e.ignored == Ignored::Off;
      break;
    case StoryEntry::Toggle:
      ++c.toggles;
      break;
    case StoryEntry::Reload:
      ++c.reloads;
      break;
    case StoryEntry::Fight:
      CountFight(c, *e.fight);
      break;
    case StoryEntry::Retask:
      ++c.retasks;
      break;
    case StoryEntry::Left:
      ++c.pruned;
      break;
    case StoryEntry::FightOver:
      ++c.fights_ended;
      break;
    case StoryEntry::Notice:
      (e.count == 0 ? c.notices_refused : c.notices_shown) += 1;
      break;
    case StoryEntry::NoticeDropped:
      ++c.notices_dropped;
      break;
    case StoryEntry::LawJoined:
      if (std::find(c.lawmen_joined.begin(), c.lawmen_joined.end(), e.ped) ==
          c.lawmen_joined.end()) {
        c.lawmen_joined.push_back(e.ped);
      }
      break;
    default:
      break;
  }
}

void CountPass(StoryCounts& c, int released, const sim::Game& game) {
  c.released += released;
  c.story_taken = game.world.story_peds_taken;
  c.own_side = game.world.own_side_orders;
  c.let_go_blind = game.world.let_go_blind;
  c.kept_now = game.world.KeptPersistent();
  c.kept_peak = std::max(c.kept_peak, c.kept_now);
}

}  // namespace ruckvale::tools
