// The story's summary at the end of a run: counts, and the weapons seen
// against the odds of the ini.
#include <cstdio>
#include <iomanip>
#include <utility>

#include "tools/json.h"
#include "tools/story_tally.h"
#include "tools/weapon_odds.h"

namespace ruckvale::tools {

namespace {

void WriteSummaryJson(std::ostream& out, const StoryCounts& c, const FightSettings& settings,
                      double seconds) {
  const WeaponOdds odds = OddsOf(settings);
  out << "{\"event\":\"summary\",\"seconds\":" << JsonSeconds(seconds) << ",\"rolls\":" << c.rolls
      << ",\"roll_hits\":" << c.roll_hits << ",\"fights_timer\":" << c.timer_fights
      << ",\"fights_key\":" << c.key_fights << ",\"fights_pad\":" << c.pad_fights
      << ",\"toggles\":" << c.toggles << ",\"reloads\":" << c.reloads
      << ",\"releases_ignored_off\":" << c.ignored_off << ",\"fights_too_few\":" << c.empty_fights
      << ",\"fighters\":" << c.fighters_total << ",\"retasks\":" << c.retasks
      << ",\"deaths\":" << c.deaths << ",\"fighter_deaths\":" << c.fighter_deaths
      << ",\"pruned\":" << c.pruned << ",\"released\":" << c.released
      << ",\"kept_persistent\":" << c.kept_now << ",\"kept_persistent_peak\":" << c.kept_peak
      << ",\"gated_stretches\":" << c.gated_stretches << ",\"fled\":" << c.fled
      << ",\"story_peds_taken\":" << c.story_taken << ",\"off_hand_guns\":" << c.off_hand
      << ",\"corpses_drawn\":" << c.corpses << ",\"fights_without_hate\":" << c.cold_fights
      << ",\"keys_ignored_background\":" << c.ignored_keys << ",\"own_side_orders\":" << c.own_side
      << ",\"let_go_blind\":" << c.let_go_blind << ",\"held_peds_drawn\":" << c.held_drawn
      << ",\"player_mount_drawn\":" << c.mount_drawn
      << ",\"melee_kept_at_range\":" << c.melee_at_range << ",\"fights_ended\":" << c.fights_ended
      << ",\"lawmen_drawn\":" << c.lawmen_drawn << ",\"lawmen_joined\":" << c.lawmen_joined.size();
  if (settings.notify || c.notices_shown + c.notices_refused + c.notices_dropped > 0) {
    out << ",\"notices_shown\":" << c.notices_shown << ",\"notices_refused\":" << c.notices_refused
        << ",\"notices_dropped\":" << c.notices_dropped;
  }
  out << ",\"weapons\":{";
  for (int i = 0; i < 9; ++i) {
    out << (i ? "," : "") << "\"" << OddsRowName(i) << "\":{\"seen\":" << c.weapon_seen[i]
        << ",\"odds_percent\":" << odds.percent[i] << "}";
  }
  out << "}}\n";
}

// What the game made of the module's calls; 0 everywhere is a fight as meant.
void WriteFaultSummary(std::ostream& out, const StoryCounts& c) {
  const std::pair<const char*, int> rows[] = {
      {"fighters that fled:", c.fled},
      {"story peds taken over:", c.story_taken},
      {"guns in the off hand:", c.off_hand},
      {"corpses drawn as fighters:", c.corpses},
      {"fights between groups that do not hate:", c.cold_fights},
      {"key releases ignored in the background:", c.ignored_keys},
      {"orders against the fighter's own side:", c.own_side},
      {"fighters let go blind or in a brawl group:", c.let_go_blind},
      {"riders, drivers and tied-up peds drawn:", c.held_drawn},
      {"the player's mount drawn:", c.mount_drawn},
      {"blades and fists kept at range:", c.melee_at_range},
      {"fights that ended with one side standing:", c.fights_ended},
  };
  out << "  what the game made of it (0 is a fight as meant, but for ignored keys and ended "
         "fights):\n";
  for (const auto& [label, n] : rows) {
    char line[96];
    std::snprintf(line, sizeof line, "    %-43s %d\n", label, n);
    out << line;
  }
}

}  // namespace

void WriteSummary(std::ostream& out, const StoryCounts& c, const FightSettings& settings,
                  double seconds, bool json, bool quiet) {
  if (json) {
    WriteSummaryJson(out, c, settings, seconds);
    return;
  }
  if (!quiet) out << '\n';  // after the story, not before a summary alone
  out << "Summary of " << seconds
      << (seconds == 1 ? " simulated second:\n" : " simulated seconds:\n");
  out << "  timer rolls:        " << c.rolls << " (" << c.roll_hits << " hit)\n";
  out << "  fights started:     " << c.timer_fights + c.key_fights + c.pad_fights << " ("
      << c.timer_fights << " by the timer, " << c.key_fights << " by the key";
  if (c.pad_fights > 0) out << ", " << c.pad_fights << " by the pad";
  out << ")";
  if (c.toggles > 0) out << "; the triggers switched " << c.toggles << " times";
  if (c.reloads > 0) {
    out << "; Ruckvale.ini reloaded " << c.reloads << (c.reloads == 1 ? " time" : " times");
  }
  if (c.ignored_off > 0) {
    out << "; " << c.ignored_off << (c.ignored_off == 1 ? " release" : " releases")
        << " ignored while switched off";
  }
  if (c.nobody_fights > 0) {
    out << "; " << c.nobody_fights << " of nobody (fight_group_size 0)";
  }
  if (c.empty_fights) {
    out << "; " << c.empty_fights << (c.empty_fights == 1 ? " trigger" : " triggers")
        << " found too few peds";
  }
  out << '\n';
  if (c.with_fighters) {
    out << "  fighters per fight: " << std::fixed << std::setprecision(1)
        << static_cast<double>(c.fighters_total) / c.with_fighters << std::defaultfloat << " (from "
        << c.fighters_min << " to " << c.fighters_max << ")\n";
  }
  out << "  re-tasks:           " << c.retasks << '\n';
  out << "  deaths:             " << c.deaths << " (" << c.fighter_deaths
      << (c.fighter_deaths == 1 ? " fighter)\n" : " fighters)\n");
  out << "  left the roster:    " << c.pruned << '\n';
  out << "  released to game:   " << c.released << '\n';
  out << "  peds kept persistent: " << c.kept_now << " now, peak " << c.kept_peak << '\n';
  out << "  gated stretches:    " << c.gated_stretches << '\n';
  if (settings.notify || c.notices_shown + c.notices_refused + c.notices_dropped > 0) {
    out << "  notices:            " << c.notices_shown << " shown, " << c.notices_refused
        << " refused by the game, " << c.notices_dropped << " dropped after 10 s\n";
  }
  out << "  lawmen drawn:       " << c.lawmen_drawn << '\n';
  out << "  lawmen that joined: " << c.lawmen_joined.size() << '\n';
  WriteFaultSummary(out, c);
  out << "  weapons seen          odds of the ini\n";
  const WeaponOdds odds = OddsOf(settings);
  int armed_total = 0;
  for (const int n : c.weapon_seen) armed_total += n;
  for (int i = 0; i < 9; ++i) {
    const double seen = armed_total ? 100.0 * c.weapon_seen[i] / armed_total : 0.0;
    char line[96];
    std::snprintf(line, sizeof line, "    %-10s %5d %5.1f %%   %3d %%\n", OddsRowName(i),
                  c.weapon_seen[i], seen, odds.percent[i]);
    out << line;
  }
}

}  // namespace ruckvale::tools
