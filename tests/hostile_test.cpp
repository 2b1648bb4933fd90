// The game answering in ways it should not: nothing may crash, hang, read or
// write out of bounds (the sanitizer build checks that), or spoil the next pass.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fight/fight_state.h"
#include "host/module_state.h"
#include "module_fixture.h"
#include "sim/scenarios.h"

namespace ruckvale {
namespace {

using testing_support::ModuleTest;
using testing_support::Pass;

constexpr int kF12 = 123;

class HostileTest : public ModuleTest {
 protected:
  void SetUp() override {
    Start("fight_timer=100000\nfight_group_size=3\n");
    for (int i = 0; i < 6; ++i)
      crowd_.push_back(world().AddPed(3.0f + static_cast<float>(i), 0.0f));
    RunPass();
  }
  Pass Press() { return ReleaseKey(kF12); }
  // After the hostile answer: a plain game again, and a plain fight.
  void ExpectTheNextFightIsWhole() {
    world().nearby = sim::NearbyAnswer{};
    world().group_leaves_zero = world().group_writes_8_bytes = world().hash_key_zero = false;
    world().garbage_high_bits = world().null_result = false;
    game().before_native = nullptr;
    for (const Ped p : crowd_) {
      sim::SimPed* ped = world().Find(p);
      if (!ped->exists) ped->mission_entity = false;  // one that comes back is a new ped
      ped->exists = true;
      ped->life = sim::Life::Alive;
      ped->pos.z = 0.0f;
    }
    Press();
    EXPECT_EQ(Module().fight.roster.size(), 3u);
    EXPECT_EQ(Count(RunPass(), "scriptWait"), 1);
  }
  std::vector<Ped> crowd_;
};

struct NearbyCase {
  const char* name;
  void (*setup)(sim::World&);
};

void PrintTo(const NearbyCase& c, std::ostream* os) {
  *os << c.name;
}

class HostileNearby : public HostileTest, public ::testing::WithParamInterface<NearbyCase> {};

TEST_P(HostileNearby, NoHarmAndTheNextPassIsFine) {
  GetParam().setup(world());
  const Pass pass = Press();
  EXPECT_EQ(pass.back()->name, "scriptWait");
  EXPECT_LE(Module().fight.roster.size(), 3u);
  EXPECT_LE(Count(pass, "DOES_ENTITY_EXIST"), 32 + 3 * 5);
  ExpectTheNextFightIsWhole();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, HostileNearby,
    ::testing::Values(
        NearbyCase{"count 0", [](sim::World& w) { w.nearby.override_count = true; }},
        NearbyCase{"count -1",
                   [](sim::World& w) {
                     w.nearby.override_count = true;
                     w.nearby.count_override = -1;
                   }},
        NearbyCase{"count INT_MIN",
                   [](sim::World& w) {
                     w.nearby.override_count = true;
                     w.nearby.count_override = std::numeric_limits<int>::min();
                   }},
        NearbyCase{"count 33 with garbage",
                   [](sim::World& w) {
                     w.nearby.override_count = true;
                     w.nearby.count_override = 33;
                     w.nearby.garbage_fill = true;
                   }},
        NearbyCase{"count 1000",
                   [](sim::World& w) {
                     w.nearby.override_count = true;
                     w.nearby.count_override = 1000;
                   }},
        NearbyCase{"8-byte slots", [](sim::World& w) { w.nearby.eight_byte_slots = true; }},
        NearbyCase{"8-byte slots, count 1000",
                   [](sim::World& w) {
                     w.nearby.eight_byte_slots = true;
                     w.nearby.override_count = true;
                     w.nearby.count_override = 1000;
                   }},
        NearbyCase{"every handle repeated", [](sim::World& w) { w.nearby.repeat_each = true; }},
        NearbyCase{"the player everywhere",
                   [](sim::World& w) { w.nearby.extra.assign(32, w.player); }},
        NearbyCase{"handles 0 and -1",
                   [](sim::World& w) { w.nearby.extra = {0, -1, 0, -1, 0, -1, 0x7FFFFFFF}; }},
        NearbyCase{"one handle 32 times", [](sim::World& w) { w.nearby.extra.assign(32, 101); }},
        NearbyCase{"no result slots", [](sim::World& w) { w.null_result = true; }},
        NearbyCase{"garbage in high bits", [](sim::World& w) { w.garbage_high_bits = true; }},
        NearbyCase{"hashes 0", [](sim::World& w) { w.hash_key_zero = true; }},
        NearbyCase{"groups left 0", [](sim::World& w) { w.group_leaves_zero = true; }},
        NearbyCase{"groups written 8 bytes wide",
                   [](sim::World& w) { w.group_writes_8_bytes = true; }}));

TEST_F(HostileTest, NanAndInfinitePositions) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  world().Find(crowd_[0])->pos = {nan, 0, 0};
  world().Find(crowd_[1])->pos = {inf, 0, 0};
  world().Find(crowd_[2])->pos = {-inf, nan, inf};
  Press();
  EXPECT_LE(Module().fight.roster.size(), 3u);
  world().Player().pos = {nan, nan, nan};
  Press();
  world().Player().pos = {0, 0, 0};
  for (int i = 0; i < 3; ++i) world().Find(crowd_[static_cast<std::size_t>(i)])->pos = {1, 1, 0};
  ExpectTheNextFightIsWhole();
}

// A ped vanishes right before each native of a fight start in turn.
TEST_F(HostileTest, PedsVanishBetweenAnyTwoNativesOfAFightStart) {
  // How many natives one fight start makes here.
  const Pass reference = Press();
  int natives = 0;
  for (const sim::Call* c : reference) natives += c->kind == sim::CallKind::Native ? 1 : 0;
  ASSERT_GT(natives, 40);
  for (int n = 1; n <= natives; ++n) {
    int seen = 0;
    game().before_native = [&, n](sim::Game& g, NativeHash) {
      if (++seen != n) return;
      for (const Ped p : crowd_) {
        if (p % 2 == n % 2) g.world.Find(p)->exists = false;
      }
    };
    Press();
    EXPECT_LE(Module().fight.roster.size(), 3u) << n;
    ExpectTheNextFightIsWhole();
  }
}

TEST(Scenarios, EveryFixedScenarioRunsClean) {
  for (const sim::ScenarioInfo& s : sim::Scenarios()) {
    const std::string trace = sim::RunScenario(s.name);
    EXPECT_NE(trace.find("scriptUnregister(module)"), std::string::npos) << s.name;
  }
}

}  // namespace
}  // namespace ruckvale
