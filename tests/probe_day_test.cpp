// A simulated day of the built-in street with the probe on: each sample the
// module writes counts what the simulated world holds at that moment, read
// here from the world itself, and the verdict tells the faults the street
// made and no other.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "settings/load_settings.h"
#include "sim/module_run.h"
#include "sim/scene.h"
#include "tools/pass_decoder.h"
#include "tools/probe_log.h"

namespace ruckvale {
namespace {

constexpr char kDayIni[] =
    "probe=true\nfight_timer=20\nfight_chance=100\nfight_group_size=6\nfight_radius=80\n";
constexpr int kF12 = 123;

// A sample's counts in the line's order: fighters, in combat, fleeing, with
// their own side, holding, armed, close, blades, in their group, on a mount,
// down, gone; then (not in the line) neither in combat nor fleeing.
using Counts = std::array<int, 13>;

// The fight the probe samples: its fighters as the pass decoder read the
// start, and the group each side was put in.
struct DayFight {
  std::vector<tools::FighterInfo> fighters;
  Hash side_group[2] = {0, 0};
};

bool Living(const sim::SimPed* p) {
  return p != nullptr && p->exists && p->life == sim::Life::Alive;
}

// Metres from `p` to the nearest living fighter of the other side; -1: none.
float Nearest(const sim::World& w, const DayFight& fight, int side, const sim::SimPed& p) {
  float nearest = -1.0f;
  for (const tools::FighterInfo& o : fight.fighters) {
    const sim::SimPed* q = w.Find(o.ped);
    if (o.group == side || !Living(q)) continue;
    const float dx = p.pos.x - q->pos.x, dy = p.pos.y - q->pos.y, dz = p.pos.z - q->pos.z;
    const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (nearest < 0.0f || d < nearest) nearest = d;
  }
  return nearest;
}

// In combat with another fighter of its own side.
bool OwnSide(const DayFight& fight, const tools::FighterInfo& f, const sim::SimPed& p) {
  if (!p.in_combat || p.task_target == 0 || p.task_target == f.ped) return false;
  for (const tools::FighterInfo& o : fight.fighters) {
    if (o.ped == p.task_target && o.group == f.group) return true;
  }
  return false;
}

// One living fighter's part of the counts.
void CountLiving(const sim::World& w, const DayFight& fight, const tools::FighterInfo& f,
                 const sim::SimPed& p, Counts& c) {
  ++c[0];
  c[1] += p.in_combat;
  c[2] += p.fleeing;
  c[3] += OwnSide(fight, f, p);
  const bool armed = f.weapon != 0;
  c[4] += armed && p.current_weapon == f.weapon;
  c[5] += armed;
  const bool blade = !f.category || *f.category == WeaponCategory::Melee;
  const float nearest = Nearest(w, fight, f.group, p);
  const bool closing = blade && p.in_combat && !p.fleeing && nearest >= 0.0f;
  c[6] += closing && nearest <= 3.0f;
  c[7] += closing;
  const Hash group = p.group != 0 ? p.group : sim::World::DefaultGroup(p.species);
  c[8] += group == fight.side_group[f.group == 1 ? 0 : 1];
  c[9] += p.on_mount;
  c[12] += !p.in_combat && !p.fleeing;
}

// What the world holds now, counted as a sample counts it.
Counts WorldCounts(const sim::World& w, const DayFight& fight) {
  Counts c{};
  for (const tools::FighterInfo& f : fight.fighters) {
    const sim::SimPed* p = w.Find(f.ped);
    if (p == nullptr || !p->exists) {
      ++c[11];
    } else if (p->life != sim::Life::Alive) {
      ++c[10];
    } else {
      CountLiving(w, fight, f, *p, c);
    }
  }
  return c;
}

// The numbers of `text` matched by `pattern`, or none when it does not match.
std::vector<int> Numbers(const std::string& text, const std::regex& pattern) {
  std::smatch m;
  std::vector<int> out;
  if (!std::regex_search(text, m, pattern)) return out;
  for (std::size_t i = 1; i < m.size(); ++i) out.push_back(std::stoi(m[i].str()));
  return out;
}

const std::regex kSample(
    R"(^probe ([15])\.0 s: (\d+) fighters: (\d+) in combat, (\d+) fleeing, (\d+) with their own )"
    R"(side, (\d+) of (\d+) armed hold their weapon, (\d+) of (\d+) blades within 3 m of an )"
    R"(opponent, (\d+) in their group, (\d+) on a mount; (\d+) down, (\d+) gone$)");

// The verdict's lines that count the samples' faults, each number against
// the world's sum it must equal: a position in Counts, at 1 s (0) or 5 s (1).
struct VerdictLine {
  std::regex pattern;
  std::vector<std::pair<std::size_t, int>> sums;
};

std::vector<VerdictLine> VerdictLines() {
  return {
      {std::regex(R"(^Q1 fighters fight: (\d+) of (\d+) fleeing at 1 s, (\d+) of (\d+) at 5 s$)"),
       {{2, 0}, {0, 0}, {2, 1}, {0, 1}}},
      {std::regex(R"(^Q3 the primary hand: (\d+) of (\d+) armed hold their weapon at 1 s, )"
                  R"((\d+) of (\d+) at 5 s$)"),
       {{4, 0}, {5, 0}, {4, 1}, {5, 1}}},
      {std::regex(R"(^Q4 hate, one side each: (\d+) of (\d+) neither in combat nor fleeing at )"
                  R"(1 s, (\d+) of (\d+) at 5 s; (\d+) with their own side at 1 s, (\d+) at 5 s; )"
                  R"((\d+) of (\d+) in their brawl group at 1 s, (\d+) of (\d+) at 5 s$)"),
       {{12, 0}, {0, 0}, {12, 1}, {0, 1}, {3, 0}, {3, 1}, {8, 0}, {0, 0}, {8, 1}, {0, 1}}},
      {std::regex(R"(^Q12 riders: (\d+) of (\d+) on a mount at 1 s, (\d+) of (\d+) at 5 s$)"),
       {{9, 0}, {0, 0}, {9, 1}, {0, 1}}},
      {std::regex(R"(^Q13 knives close in: (\d+) of (\d+) blades and fists within 3 m of an )"
                  R"(opponent at 1 s, (\d+) of (\d+) at 5 s$)"),
       {{6, 0}, {7, 0}, {6, 1}, {7, 1}}},
  };
}

// A day of the street: the module with the probe on, the pass decoder
// reading each pass, and the probe's lines read from the log as they come.
class ProbeDay {
 public:
  // `contrary`: the one value the game reads otherwise.
  ProbeDay(std::uint64_t seed, sim::Contrary contrary) : scene_(seed), decoder_(Settings()) {
    sim::World& w = run_.game.world;
    scene_.Populate(w);
    // The street as `ruckvale-sim --probe` plays it.
    w.contrary = contrary;
    w.blades_close_in = contrary != sim::Contrary::Melee;
    w.steady_fighters = true;
    w.tick = 600000;
    run_.Start();
  }
  // One frame, the key held before each release; the probe's new lines.
  std::vector<std::string> Frame(int frame) {
    sim::World& w = run_.game.world;
    w.keys_down[kF12] = frame % 1111 >= 1108 ? 1 : 0;
    scene_.Step(w, 1.0f / 30.0f, [](const sim::SceneEvent&) {});
    run_.game.calls.clear();
    run_.Frame(33);
    const tools::PassEvents events = decoder_.Decode(frame / 30.0, run_.game.calls, run_.game);
    for (const tools::FightStart& start : events.starts) {
      if (!start.fighters.empty() || start.empty_fight) Began(start);
    }
    std::vector<std::string> lines;
    log_.Read(lines);
    return lines;
  }
  Counts Now() const { return WorldCounts(run_.game.world, fight_); }

 private:
  static FightSettings Settings() {
    FightSettings s;
    ReadSettingsText(kDayIni, s);
    return s;
  }
  void Began(const tools::FightStart& start) {
    fight_ = DayFight{start.fighters, {0, 0}};
    for (const tools::FighterInfo& f : start.fighters) {
      if (const sim::SimPed* p = run_.game.world.Find(f.ped)) {
        fight_.side_group[f.group == 1 ? 0 : 1] = p->group;
      }
    }
  }
  sim::IniFolder folder_{std::string(kDayIni)};
  sim::ModuleRun run_;
  sim::Scene scene_;
  tools::PassDecoder decoder_;
  tools::ProbeLogReader log_{"Ruckvale.log"};
  DayFight fight_;
};

// Ten minutes of the street, as the notes say the game reads its values and
// with each of the readings a sample can show otherwise: each sample equals
// the world at its moment, and each verdict's fault counts equal the world's
// sums over the samples before it.
TEST(ProbeDay, EverySampleIsTheWorldsStateAndTheVerdictItsFaults) {
  const struct {
    const char* name;
    sim::Contrary contrary;
  } cases[] = {{"as the notes say", sim::Contrary::None},
               {"flee", sim::Contrary::Flee},
               {"hand", sim::Contrary::Hand},
               {"hate", sim::Contrary::Hate},
               {"melee", sim::Contrary::Melee}};
  const std::vector<VerdictLine> verdict = VerdictLines();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProbeDay day(11, c.contrary);
    Counts sum[2] = {};
    int samples = 0, verdict_lines = 0;
    for (int frame = 0; frame < 18000; ++frame) {
      for (const std::string& line : day.Frame(frame)) {
        std::vector<int> numbers = Numbers(line, kSample);
        if (!numbers.empty()) {
          const int moment = numbers[0] == 1 ? 0 : 1;
          const Counts world = day.Now();
          numbers.erase(numbers.begin());
          EXPECT_EQ(numbers, std::vector<int>(world.begin(), world.end() - 1))
              << "frame " << frame << ": " << line;
          for (std::size_t i = 0; i < world.size(); ++i) sum[moment][i] += world[i];
          ++samples;
          continue;
        }
        for (const VerdictLine& v : verdict) {
          const std::vector<int> got = Numbers(line, v.pattern);
          if (got.empty()) continue;
          std::vector<int> expected;
          for (const auto& [at, moment] : v.sums) expected.push_back(sum[moment][at]);
          EXPECT_EQ(got, expected) << "frame " << frame << ": " << line;
          ++verdict_lines;
        }
      }
    }
    EXPECT_GT(samples, 10);
    EXPECT_GT(verdict_lines, 20);
    if (c.contrary != sim::Contrary::None) continue;
    // The street as the notes say makes no fault a sample counts: every living
    // fighter in combat, none fleeing, every armed one holding its weapon,
    // every blade within 3 m, all in their group, none on a mount.
    const Counts no_fault[2] = {{120, 120, 0, 0, 112, 112, 70, 70, 120, 0, 6, 0, 0},
                                {56, 56, 0, 0, 53, 53, 41, 41, 56, 0, 16, 0, 0}};
    EXPECT_EQ(sum[0], no_fault[0]);
    EXPECT_EQ(sum[1], no_fault[1]);
  }
}

}  // namespace
}  // namespace ruckvale
