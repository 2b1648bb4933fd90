// The probe reads back what the simulated game holds: each sample's counts
// are the world's at the sample's moment.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "module_fixture.h"

namespace ruckvale::testing_support {
namespace {

// Fights of knives and the like only, the timer silent.
constexpr char kProbeIni[] =
    "probe=true\nfight_chance=0\nmelee_chance=100\nrevolver_chance=0\npistol_chance=0\n"
    "shotgun_chance=0\nrifle_chance=0\nrepeater_chance=0\nthrowables_chance=0\nbow_chance=0\n";

class ProbeTest : public ModuleTest {
 protected:
  // n peds a tenth of a metre apart, a fight of all of them started, and
  // each in combat with the target it was given.
  void StartFightOf(int n) {
    Start(std::string(kProbeIni) + "fight_group_size=" + std::to_string(n) + "\n");
    for (int i = 0; i < n; ++i) world().AddPed(2.0f + 0.1f * static_cast<float>(i), 0.0f);
    ReleaseKey();
    for (sim::SimPed& p : world().peds) p.in_combat = p.task_target != 0;
  }
  // The fighters, by handle.
  std::vector<sim::SimPed*> Fighters() {
    std::vector<sim::SimPed*> out;
    for (sim::SimPed& p : world().peds) {
      if (world().IsBrawlGroup(p.group)) out.push_back(&p);
    }
    return out;
  }
  static std::string Log() {
    std::ifstream in("Ruckvale.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // The rest of the log's line that holds `head`, or "" without one.
  static std::string LineWith(const std::string& log, const std::string& head) {
    const std::size_t at = log.find(head);
    if (at == std::string::npos) return "";
    return log.substr(at, log.find('\n', at) - at);
  }
  static int Count(const std::string& log, const std::string& what) {
    int n = 0;
    for (std::size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1)) ++n;
    return n;
  }
};

// One fighter of the same side as `f`, other than `f`.
sim::SimPed* SameSide(const std::vector<sim::SimPed*>& fighters, const sim::SimPed* f) {
  for (sim::SimPed* o : fighters) {
    if (o != f && o->group == f->group) return o;
  }
  return nullptr;
}

struct SampleCase {
  const char* name;
  int fighters;
  std::function<void(const std::vector<sim::SimPed*>&)> change;  // the world before the sample
  const char* line;
  int faults;  // lines of fighters that fail a test
};

TEST_F(ProbeTest, EachSampleCountsWhatTheWorldHolds) {
  const SampleCase cases[] = {
      {"a fight of 2 as ordered", 2, [](const std::vector<sim::SimPed*>&) {},
       "probe 1.0 s: 2 fighters: 2 in combat, 0 fleeing, 0 with their own side, 2 of 2 armed "
       "hold their weapon, 2 of 2 blades within 3 m of an opponent, 2 in their group, 0 on a "
       "mount; 0 down, 0 gone",
       0},
      {"a fight of 8, one fault of each kind", 8,
       [](const std::vector<sim::SimPed*>& f) {
         f[0]->fleeing = true;
         std::swap(f[1]->current_weapon, f[1]->off_hand_weapon);
         f[2]->task_target = SameSide(f, f[2])->handle;
         f[3]->group = 0;  // back in the game's default group
         f[4]->on_mount = true;
         f[4]->in_combat = false;
         f[5]->life = sim::Life::Dying;
         f[6]->exists = false;  // gone before its sample
         f[7]->pos.y = 10.0f;   // a blade in combat, far from every opponent
       },
       "probe 1.0 s: 6 fighters: 5 in combat, 1 fleeing, 1 with their own side, 5 of 6 armed "
       "hold their weapon, 3 of 4 blades within 3 m of an opponent, 5 in their group, 1 on a "
       "mount; 1 down, 1 gone",
       6},
  };
  for (const SampleCase& c : cases) {
    SCOPED_TRACE(c.name);
    StartFightOf(c.fighters);
    const std::vector<sim::SimPed*> fighters = Fighters();
    ASSERT_EQ(static_cast<int>(fighters.size()), c.fighters);
    c.change(fighters);
    RunPass(1000);
    RunPass(0);
    const std::string log = Log();
    EXPECT_EQ(LineWith(log, "probe 1.0 s:"), c.line) << log;
    EXPECT_EQ(Count(log, "]   ped ") - c.fighters, c.faults) << log;  // after the start's list
  }
}

// A new fight before the 5 s sample ends the first: its sample is missed,
// the new one is sampled from its own start, and a verdict closes the first.
TEST_F(ProbeTest, AFightReplacedBeforeItsLastSampleMissesIt) {
  StartFightOf(2);
  RunPass(1000);
  RunPass(1000);  // the 1 s sample
  ReleaseKey(kF12, 967);
  RunPass(1000);
  RunPass(0);
  const std::string log = Log();
  EXPECT_EQ(Count(log, "probe 1.0 s:"), 2) << log;
  EXPECT_EQ(Count(log, "probe 5.0 s:"), 0) << log;
  EXPECT_NE(log.find("probe: no 5.0 s sample: the fight was replaced at 3.0 s"), std::string::npos)
      << log;
  EXPECT_NE(log.find("verdict at the end of a fight (send this block), 1 fight; 1 5 s samples "
                     "missed"),
            std::string::npos)
      << log;
}

// The tick count wraps between a fight's start and its 5 s sample.
TEST_F(ProbeTest, SamplesAreTakenAcrossTheTickWrap) {
  world().tick = 0xFFFFFFFFu - 2500u;
  StartFightOf(2);
  for (int i = 0; i < 7; ++i) RunPass(1000);
  const std::string log = Log();
  EXPECT_EQ(Count(log, "probe 1.0 s:"), 1) << log;
  EXPECT_EQ(Count(log, "probe 5.0 s:"), 1) << log;
}

}  // namespace
}  // namespace ruckvale::testing_support
