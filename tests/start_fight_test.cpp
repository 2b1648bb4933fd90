// Drawing the fighters near the player, grouping, insulting and tasking them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "fight/law.h"
#include "fight/start_fight.h"
#include "fight_fixture.h"
#include "sim/game_hash.h"

namespace ruckvale {
namespace {

using testing_support::FightTest;
using Args = std::vector<std::uint64_t>;
// The tick of the pass that starts the fights.
constexpr std::uint32_t kNow = 5000;

class StartFightTest : public FightTest {
 protected:
  // n humans in a ring of radius 10 around the player.
  std::vector<Ped> Crowd(int n, float distance = 10.0f) {
    std::vector<Ped> handles;
    for (int i = 0; i < n; ++i) {
      const float a = static_cast<float>(i) * 0.5f;
      handles.push_back(world.AddPed(distance * std::cos(a), distance * std::sin(a)));
    }
    return handles;
  }
  // The roster's peds, in roster order; one vector, refilled at each call.
  const std::vector<Ped>& Roster() {
    roster_peds_.clear();
    for (const RosterEntry& e : fight.roster) roster_peds_.push_back(e.ped);
    return roster_peds_;
  }
  std::vector<Ped> roster_peds_;
  std::vector<Ped> Prepared() {
    std::vector<Ped> peds;
    for (const sim::Call* c : Calls("SET_ENTITY_AS_MISSION_ENTITY")) {
      peds.push_back(static_cast<Ped>(static_cast<std::uint32_t>(c->args[0])));
    }
    return peds;
  }
};

TEST_F(StartFightTest, DefaultFightOfTwoCallsEverythingInOrder) {
  Crowd(3);
  StartFight(fight, Context(), kNow);
  ASSERT_EQ(Roster().size(), 2u);
  const Ped a = Roster()[0], b = Roster()[1];
  EXPECT_NE(a, b);
  std::vector<std::string> names = Names();
  // Step by step: player, nearby peds, player position, then per ped:
  // exists, human, position, dead, kept by a script, riding, in a vehicle,
  // hogtied, lassoed.
  std::vector<std::string> head = {"PLAYER_PED_ID", "GET_PED_NEARBY_PEDS", "GET_ENTITY_COORDS"};
  for (int ped = 0; ped < 3; ++ped) {
    head.insert(head.end(),
                {"DOES_ENTITY_EXIST", "IS_PED_HUMAN", "GET_ENTITY_COORDS", "IS_PED_DEAD_OR_DYING",
                 "IS_ENTITY_A_MISSION_ENTITY", "IS_PED_ON_MOUNT", "IS_PED_IN_ANY_VEHICLE",
                 "IS_PED_HOGTIED", "IS_PED_LASSOED"});
  }
  head.insert(head.end(), {"ADD_RELATIONSHIP_GROUP", "ADD_RELATIONSHIP_GROUP",
                           "SET_RELATIONSHIP_BETWEEN_GROUPS", "SET_RELATIONSHIP_BETWEEN_GROUPS",
                           "SET_ENTITY_AS_MISSION_ENTITY"});
  ASSERT_GE(names.size(), head.size());
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + static_cast<long>(head.size())),
            head);
  EXPECT_EQ(game.calls[1].args[2], 0xFFFFFFFFu);
  EXPECT_EQ(game.calls[1].args[3], 0xFFFFFFFFu);
  const Hash g1 = sim::GameHash("BRAWL_GROUP_1"), g2 = sim::GameHash("BRAWL_GROUP_2");
  for (const sim::Call* c : Calls("IS_PED_DEAD_OR_DYING")) EXPECT_EQ(c->args[1], 1u);
  // The groups exist and hate each other both ways: 6 is the game's hate, 5 "wanted".
  EXPECT_EQ(world.groups,
            (std::map<std::string, Hash>{{"BRAWL_GROUP_1", g1}, {"BRAWL_GROUP_2", g2}}));
  EXPECT_EQ(world.relations.at({g1, g2}), 6);
  EXPECT_EQ(world.relations.at({g2, g1}), 6);
  EXPECT_EQ(world.Find(a)->group, g1);
  EXPECT_EQ(world.Find(b)->group, g2);
  const auto speech = Calls("PLAY_PED_AMBIENT_SPEECH_NATIVE");
  ASSERT_EQ(speech.size(), 2u);
  const std::string params = "0x" + [] {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", sim::GameHash("SPEECH_PARAMS_BEAT_SPOKEN_CLEAR"));
    return std::string(buf);
  }();
  EXPECT_NE(speech[0]->text[1].find(", 0x0, 0x0, " + params + ", 0x0, 0x1, 0x1, 0x1}"),
            std::string::npos)
      << speech[0]->text[1];
  // Each registers the other as its target, then takes one combat task.
  const auto ua = static_cast<std::uint32_t>(a), ub = static_cast<std::uint32_t>(b);
  const std::vector<std::string> tail(names.end() - 4, names.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"REGISTER_TARGET", "TASK_COMBAT_PED", "REGISTER_TARGET",
                                            "TASK_COMBAT_PED"}));
  const std::size_t at = game.calls.size() - 4;
  EXPECT_EQ(game.calls[at].args, (Args{ua, ub, 1}));
  EXPECT_EQ(game.calls[at + 1].args, (Args{ua, ub, 0, 16}));
  EXPECT_EQ(game.calls[at + 2].args, (Args{ub, ua, 1}));
  EXPECT_EQ(game.calls[at + 3].args, (Args{ub, ua, 0, 16}));
  // Both rest from the start's tick.
  EXPECT_EQ(fight.retask_times.entries().size(), 2u);
  for (const auto& [ped, tick] : fight.retask_times.entries()) EXPECT_EQ(tick, kNow);
  EXPECT_EQ(fight.roster, (FightRoster{{a, 1}, {b, 2}}));
  // The speech-parameter hash is asked anew for every fighter, after its preparation.
  std::size_t speech_hashes = 0;
  for (const sim::Call& c : game.calls) {
    speech_hashes += c.name == "GET_HASH_KEY" && c.text[0] == "\"SPEECH_PARAMS_BEAT_SPOKEN_CLEAR\"";
  }
  EXPECT_EQ(speech_hashes, 2u);
}

// Fighters 0, 2, 4 against 1 and 3: each registers the other side in
// selection order, then takes one task against its neighbour (0-1, 2-3, and
// the last of an odd number against the one before it).
TEST_F(StartFightTest, FiveFightersRegisterTheOtherSideAndTakeOneTaskEach) {
  Crowd(8);
  settings.fight_group_size = 5;
  StartFight(fight, Context(), kNow);
  ASSERT_EQ(Roster().size(), 5u);
  const std::vector<Ped> f = Roster();
  EXPECT_EQ(Prepared(), f);
  const Hash g1 = sim::GameHash("BRAWL_GROUP_1"), g2 = sim::GameHash("BRAWL_GROUP_2");
  const auto groups = Calls("SET_PED_RELATIONSHIP_GROUP_HASH");
  ASSERT_EQ(groups.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(groups[i]->args[1], i % 2 == 0 ? g1 : g2) << i;
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(fight.roster[i].group, i % 2 == 0 ? 1 : 2) << i;
  }
  // (attacker, target) by selection index; -1 marks the combat task.
  const int orders[][3] = {{0, 1, 1},  {0, 3, 1},  {0, 1, -1}, {1, 0, 1},  {1, 2, 1}, {1, 4, 1},
                           {1, 0, -1}, {2, 1, 1},  {2, 3, 1},  {2, 3, -1}, {3, 0, 1}, {3, 2, 1},
                           {3, 4, 1},  {3, 2, -1}, {4, 1, 1},  {4, 3, 1},  {4, 3, -1}};
  std::vector<Args> expected, seen;
  for (const auto& o : orders) {
    const auto who = static_cast<std::uint32_t>(f[static_cast<std::size_t>(o[0])]);
    const auto whom = static_cast<std::uint32_t>(f[static_cast<std::size_t>(o[1])]);
    expected.push_back(o[2] == 1 ? Args{who, whom, 1} : Args{who, whom, 0, 16});
  }
  for (const sim::Call& c : game.calls) {
    if (c.name == "REGISTER_TARGET" || c.name == "TASK_COMBAT_PED") seen.push_back(c.args);
  }
  EXPECT_EQ(seen, expected);
}

struct SizeCase {
  int group_size;
  int crowd;
  std::size_t roster;  // after the fight start; 99: unchanged
};

class GroupSizeTest : public StartFightTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(GroupSizeTest, RosterFollowsTheGroupSize) {
  const SizeCase& c = GetParam();
  Crowd(c.crowd);
  fight.roster = {{7777, 1}, {8888, 2}};  // a running fight
  fight.retask_times[7777] = 5;
  settings.fight_group_size = c.group_size;
  StartFight(fight, Context(), kNow);
  if (c.roster == 99) {
    EXPECT_EQ(Roster(), (std::vector<Ped>{7777, 8888}));
    EXPECT_EQ(fight.retask_times.size(), 1u);
    EXPECT_EQ(fight.groups.group1_slot, 0u);
    EXPECT_TRUE(Calls("ADD_RELATIONSHIP_GROUP").empty());
    return;
  }
  EXPECT_EQ(Roster().size(), c.roster);
  EXPECT_EQ(fight.retask_times.size(), c.roster);
  EXPECT_EQ(Calls("ADD_RELATIONSHIP_GROUP").size(), 2u);
  EXPECT_EQ(Prepared().size(), c.roster);
  EXPECT_EQ(Calls("PLAY_PED_AMBIENT_SPEECH_NATIVE").size(), c.roster);
  EXPECT_EQ(Calls("TASK_COMBAT_PED").size(), c.roster < 2 ? 0 : c.roster);
  // Each registers every fighter of the other side: n²/2 in all, rounded down.
  EXPECT_EQ(Calls("REGISTER_TARGET").size(), c.roster * c.roster / 2);
  std::set<Ped> distinct(Roster().begin(), Roster().end());
  EXPECT_EQ(distinct.size(), c.roster);
}

void PrintTo(const SizeCase& c, std::ostream* os) {
  *os << "size " << c.group_size << " among " << c.crowd;
}

INSTANTIATE_TEST_SUITE_P(Sizes, GroupSizeTest,
                         ::testing::Values(SizeCase{0, 3, 0}, SizeCase{1, 3, 1}, SizeCase{5, 8, 5},
                                           SizeCase{6, 6, 6}, SizeCase{-1, 3, 99},
                                           SizeCase{-2147483647 - 1, 3, 99}, SizeCase{4, 3, 99},
                                           SizeCase{32, 32, 32}, SizeCase{33, 40, 99}));

TEST_F(StartFightTest, ACountBelowTheGroupSizeReadsNoPosition) {
  Crowd(2);
  settings.fight_group_size = 3;
  StartFight(fight, Context(), kNow);
  EXPECT_EQ(Names(), (std::vector<std::string>{"PLAYER_PED_ID", "GET_PED_NEARBY_PEDS"}));
}

TEST_F(StartFightTest, TooFewQualifyingPedsKeepTheRunningFight) {
  Crowd(3, 80.0f);  // listed, but out of the radius
  fight.roster = {{7777, 1}};
  StartFight(fight, Context(), kNow);
  EXPECT_EQ(Roster(), (std::vector<Ped>{7777}));
  EXPECT_TRUE(Prepared().empty());
}

TEST_F(StartFightTest, ThePlayerNeverFights) {
  world.nearby.list_player = true;
  Crowd(2);
  settings.fight_group_size = 3;
  StartFight(fight, Context(), kNow);
  EXPECT_TRUE(Roster().empty());
  settings.fight_group_size = 2;
  for (int i = 0; i < 20; ++i) {
    StartFight(fight, Context(), kNow);
    EXPECT_EQ(std::count(Roster().begin(), Roster().end(), world.player), 0);
  }
}

// The distance is three-dimensional: a ped on a balcony right above the
// player, or one below it on a slope, can be out of reach.
TEST_F(StartFightTest, RadiusIsInclusiveAndCountsHeight) {
  settings.fight_radius = 5.0f;
  const Ped at = world.AddPed(3.0f, 4.0f);
  const Ped beyond = world.AddPed(3.0f, 4.001f);
  const Ped near = world.AddPed(0.0f, 1.0f);
  const Ped above = world.AddPed(1.0f, 1.0f);
  world.Find(above)->pos.z = 6.0f;
  const Ped below = world.AddPed(0.0f, 3.0f);
  world.Find(below)->pos.z = -4.0f;  // 5 units off: just in
  settings.fight_group_size = 3;
  StartFight(fight, Context(), kNow);
  std::set<Ped> roster(Roster().begin(), Roster().end());
  EXPECT_EQ(roster, (std::set<Ped>{at, near, below}));
  (void)beyond;
}

TEST_F(StartFightTest, HumansOnlyDecidesWhetherAnimalsFight) {
  world.AddPed(5, 0, sim::Species::Horse);
  world.AddPed(6, 0, sim::Species::Dog);
  StartFight(fight, Context(), kNow);
  EXPECT_TRUE(Roster().empty());
  EXPECT_EQ(Calls("IS_PED_HUMAN").size(), 2u);
  game.calls.clear();
  settings.humans_only = false;
  StartFight(fight, Context(), kNow);
  EXPECT_EQ(Roster().size(), 2u);
  EXPECT_TRUE(Calls("IS_PED_HUMAN").empty());
}

TEST_F(StartFightTest, PedsThatDoNotExistAreSkipped) {
  const std::vector<Ped> crowd = Crowd(3);
  world.Find(crowd[1])->exists = false;
  settings.fight_group_size = 3;
  StartFight(fight, Context(), kNow);
  EXPECT_TRUE(Roster().empty());
  settings.fight_group_size = 2;
  StartFight(fight, Context(), kNow);
  EXPECT_EQ(std::set<Ped>(Roster().begin(), Roster().end()), (std::set<Ped>{crowd[0], crowd[2]}));
}

// The dead and the peds another script keeps never fight; the module's own
// fighters (mission entities too) are drawn again without being asked.
TEST_F(StartFightTest, CorpsesAndOtherScriptsPedsAreLeftAlone) {
  const std::vector<Ped> crowd = Crowd(5);
  world.Find(crowd[1])->life = sim::Life::Dead;
  world.Find(crowd[2])->life = sim::Life::Dying;
  world.Find(crowd[3])->mission_entity = true;
  world.Find(crowd[3])->story_owned = true;
  settings.fight_group_size = 3;
  StartFight(fight, Context(), kNow);
  EXPECT_TRUE(Roster().empty());
  EXPECT_TRUE(Prepared().empty());
  settings.fight_group_size = 2;
  StartFight(fight, Context(), kNow);
  EXPECT_EQ(std::set<Ped>(Roster().begin(), Roster().end()), (std::set<Ped>{crowd[0], crowd[4]}));
  EXPECT_FALSE(world.Find(crowd[3])->taken_from_story);
  game.calls.clear();
  StartFight(fight, Context(), kNow);
  EXPECT_EQ(Roster().size(), 2u);
  for (const sim::Call* c : Calls("IS_ENTITY_A_MISSION_ENTITY")) {
    EXPECT_EQ(std::count(Roster().begin(), Roster().end(), static_cast<Ped>(c->args[0])), 0);
  }
}

TEST_F(StartFightTest, GroupsAreCreatedOnceUnlessTheGameLeavesThemZero) {
  Crowd(3);
  StartFight(fight, Context(), kNow);
  StartFight(fight, Context(), kNow);
  EXPECT_EQ(Calls("ADD_RELATIONSHIP_GROUP").size(), 2u);
  EXPECT_EQ(fight.groups.Group1Hash(), sim::GameHash("BRAWL_GROUP_1"));
  ResetFightState(fight);
  Crowd(3);  // the first fight's peds are still the module's mission entities
  game.calls.clear();
  world.group_leaves_zero = true;
  StartFight(fight, Context(), kNow);
  StartFight(fight, Context(), kNow);
  EXPECT_EQ(Calls("ADD_RELATIONSHIP_GROUP").size(), 4u);
  EXPECT_EQ(Calls("SET_RELATIONSHIP_BETWEEN_GROUPS").size(), 4u);
}

TEST_F(StartFightTest, AGameWritingEightByteGroupsClobbersNothing) {
  world.group_writes_8_bytes = true;
  Crowd(3);
  StartFight(fight, Context(), kNow);
  EXPECT_EQ(fight.groups.Group1Hash(), sim::GameHash("BRAWL_GROUP_1"));
  EXPECT_EQ(fight.groups.Group2Hash(), sim::GameHash("BRAWL_GROUP_2"));
  EXPECT_EQ(Calls("SET_RELATIONSHIP_BETWEEN_GROUPS")[0]->args,
            (Args{6, sim::GameHash("BRAWL_GROUP_1"), sim::GameHash("BRAWL_GROUP_2")}));
}

TEST_F(StartFightTest, CountsBeyondThirtyTwoReadThirtyTwoPositions) {
  Crowd(40);
  world.nearby.override_count = true;
  for (const int count : {33, 1000, 2147483647}) {
    world.nearby.count_override = count;
    game.calls.clear();
    settings.fight_group_size = 32;
    StartFight(fight, Context(), kNow);
    EXPECT_EQ(Calls("DOES_ENTITY_EXIST").size(), 32u) << count;
    EXPECT_EQ(Roster().size(), 32u) << count;
  }
}

// Which handles the module tests, in order, for each way the game may lay
// out the nearby list. Peds 100, 101, 102 stand 5 to 7 units away.
TEST_F(StartFightTest, TheNearbyListIsReadAsTheGameLaidItOut) {
  struct Case {
    const char* name;
    bool eight_byte_slots;
    std::vector<Ped> extra;  // listed before the peds
    std::vector<std::uint64_t> tested;
    std::size_t fighters;
    int peds = 3;  // added, and the group size
  };
  const Case cases[] = {
      {"8-byte slots: every listed ped", true, {}, {100, 101, 102}, 3},
      {"4-byte positions: every listed ped", false, {}, {100, 101, 102}, 3},
      {"8-byte slots, the player first", true, {1}, {1, 100, 101, 102}, 3},
      {"8-byte slots, handle -1 first", true, {-1}, {0xFFFFFFFFu, 100, 101, 102}, 3},
      // A 4-byte list whose first handle is 0 reads as 8-byte slots: the
      // handles at 4-byte positions 2 and 4.
      {"4-byte positions, 0 first", false, {0, 7, 8, 9}, {7, 9, 101, 0}, 0},
      // One ped alone: in 8-byte slots at offset 8, with 0 at offset 4 (the
      // size's high half); in 4-byte positions at offset 4.
      {"8-byte slots, one ped", true, {}, {100}, 1, 1},
      {"4-byte positions, one ped", false, {}, {100}, 1, 1},
  };
  for (const Case& c : cases) {
    game.world = sim::World{};
    SetUp();
    world.nearby.eight_byte_slots = c.eight_byte_slots;
    world.nearby.extra = c.extra;
    for (int i = 0; i < c.peds; ++i) world.AddPed(5.0f + static_cast<float>(i), 0);
    settings.fight_group_size = c.peds;
    StartFight(fight, Context(), kNow);
    std::vector<std::uint64_t> tested;
    for (const sim::Call* call : Calls("DOES_ENTITY_EXIST")) tested.push_back(call->args[0]);
    EXPECT_EQ(tested, c.tested) << c.name;
    EXPECT_EQ(Roster().size(), c.fighters) << c.name;
  }
}

TEST_F(StartFightTest, TenFightersAmongFifteenInEightByteSlots) {
  // Read as 4-byte positions this list gives only seven peds.
  Crowd(15);
  settings.fight_group_size = 10;
  StartFight(fight, Context(), kNow);
  EXPECT_EQ(Roster().size(), 10u);
}

TEST_F(StartFightTest, TheNearbyBufferHasRoomForEightByteSlots) {
  // The game fills all 32 slots 8 bytes wide; under AddressSanitizer a
  // smaller buffer fails here.
  EXPECT_GE(sizeof(NearbyPedBuffer::bytes), 8u + 32u * 8u);
  world.nearby.eight_byte_slots = true;
  Crowd(40);
  StartFight(fight, Context(), kNow);
  EXPECT_EQ(Calls("GET_PED_NEARBY_PEDS")[0]->text[1], "buffer{capacity 32}");
}

TEST_F(StartFightTest, AHandleListedTwiceIsOneCandidate) {
  world.nearby.repeat_each = true;
  const std::vector<Ped> crowd = Crowd(2);
  settings.fight_group_size = 3;
  StartFight(fight, Context(), kNow);  // four positions, two peds: the draw must not spin
  EXPECT_TRUE(Roster().empty());
  EXPECT_EQ(Calls("DOES_ENTITY_EXIST").size(), 2u);
  settings.fight_group_size = 2;
  StartFight(fight, Context(), kNow);
  EXPECT_EQ(std::set<Ped>(Roster().begin(), Roster().end()),
            (std::set<Ped>(crowd.begin(), crowd.end())));
}

// A new fight lets the old fighters it did not draw again go, after the
// tasks and before the roster changes: events unblocked, their own group
// back, released. The vanished need nothing, and a fight start that returns
// early releases nobody.
TEST_F(StartFightTest, ANewFightReleasesTheFightersItReplaces) {
  const std::vector<Ped> crowd = Crowd(4);
  const Ped gone = world.AddPed(8, 0);
  fight.roster = {{crowd[0], 1}, {gone, 2}, {crowd[1], 1}, {crowd[2], 2}, {crowd[3], 1}};
  world.Find(gone)->exists = false;
  for (const Ped p : crowd) world.Find(p)->blocking_events = true;
  settings.fight_group_size = 5;
  StartFight(fight, Context(), kNow);  // four peds qualify: returns early
  EXPECT_TRUE(Calls("SET_ENTITY_AS_NO_LONGER_NEEDED").empty());

  settings.fight_group_size = 2;
  StartFight(fight, Context(), kNow);
  const std::vector<std::string> names = Names();
  const auto last_task = std::find(names.rbegin(), names.rend(), "TASK_COMBAT_PED");
  std::vector<std::string> expected;
  std::vector<std::string> released;
  for (const Ped old : {crowd[0], gone, crowd[1], crowd[2], crowd[3]}) {
    if (std::find(Roster().begin(), Roster().end(), old) != Roster().end()) continue;
    expected.push_back("DOES_ENTITY_EXIST");
    if (old == gone) continue;
    expected.insert(
        expected.end(),
        {"SET_BLOCKING_OF_NON_TEMPORARY_EVENTS", "GET_PED_RELATIONSHIP_GROUP_DEFAULT_HASH",
         "SET_PED_RELATIONSHIP_GROUP_HASH", "SET_ENTITY_AS_NO_LONGER_NEEDED"});
    released.push_back("&" + std::to_string(old));
    EXPECT_FALSE(world.Find(old)->blocking_events);
    EXPECT_EQ(world.Find(old)->group, sim::World::DefaultGroup(sim::Species::Human));
  }
  EXPECT_EQ(std::vector<std::string>(last_task.base(), names.end()), expected);
  std::vector<std::string> texts;
  for (const sim::Call* c : Calls("SET_ENTITY_AS_NO_LONGER_NEEDED")) texts.push_back(c->text[0]);
  EXPECT_EQ(texts, released);
  for (const Ped p : Roster()) EXPECT_TRUE(world.Find(p)->mission_entity);
}

// Riders, drivers, the hogtied and the lassoed are held where they are, a
// fighter of the running fight too; each test is asked only while the ones
// before it let the ped through.
TEST_F(StartFightTest, HeldPedsAreNeverDrawn) {
  struct Case {
    const char* what;
    bool sim::SimPed::*flag;
    std::size_t asked;  // of the four tests
  };
  const Case cases[] = {{"riding", &sim::SimPed::on_mount, 1},
                        {"in a vehicle", &sim::SimPed::in_vehicle, 2},
                        {"hogtied", &sim::SimPed::hogtied, 3},
                        {"lassoed", &sim::SimPed::lassoed, 4}};
  for (const Case& c : cases) {
    settings = FightSettings{};
    fight = FightState{};
    ResetFightState(fight);
    world.peds.resize(1);
    const std::vector<Ped> crowd = Crowd(3);
    world.Find(crowd[1])->*c.flag = true;
    fight.roster = {{crowd[1], 1}};  // held although it fights
    world.Find(crowd[1])->mission_entity = true;
    settings.fight_group_size = 3;
    game.calls.clear();
    StartFight(fight, Context(), kNow);
    EXPECT_EQ(Roster(), (std::vector<Ped>{crowd[1]})) << c.what;
    std::size_t asked = 0;
    for (const sim::Call& call : game.calls) {
      const bool test = call.name == "IS_PED_ON_MOUNT" || call.name == "IS_PED_IN_ANY_VEHICLE" ||
                        call.name == "IS_PED_HOGTIED" || call.name == "IS_PED_LASSOED";
      asked += test && call.args[0] == static_cast<std::uint32_t>(crowd[1]);
    }
    EXPECT_EQ(asked, c.asked) << c.what;
    settings.fight_group_size = 2;
    StartFight(fight, Context(), kNow);
    EXPECT_EQ(std::set<Ped>(Roster().begin(), Roster().end()), (std::set<Ped>{crowd[0], crowd[2]}))
        << c.what;
  }
}

// The horse the player rides is asked once, only when animals may fight,
// right after the player's position, and skipped right after the player.
TEST_F(StartFightTest, ThePlayersMountNeverFights) {
  const Ped horse = world.AddPed(1.0f, 0.0f, sim::Species::Horse);
  world.player_mount = horse;
  const std::vector<Ped> crowd = Crowd(2);
  settings.humans_only = false;
  settings.fight_group_size = 2;
  for (int i = 0; i < 10; ++i) StartFight(fight, Context(), kNow);
  EXPECT_EQ(std::set<Ped>(Roster().begin(), Roster().end()),
            (std::set<Ped>(crowd.begin(), crowd.end())));
  EXPECT_EQ(Calls("GET_MOUNT").size(), 10u);
  const std::vector<std::string> names = Names();
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 6),
            (std::vector<std::string>{"PLAYER_PED_ID", "GET_PED_NEARBY_PEDS", "GET_ENTITY_COORDS",
                                      "GET_MOUNT", "DOES_ENTITY_EXIST", "DOES_ENTITY_EXIST"}))
      << "the horse is listed first and asked nothing more";
  // Not ridden: a horse like any other.
  world.player_mount = 0;
  settings.fight_group_size = 3;
  StartFight(fight, Context(), kNow);
  EXPECT_EQ(Roster().size(), 3u);
  // With humans only, GET_MOUNT is never asked.
  game.calls.clear();
  settings.humans_only = true;
  settings.fight_group_size = 2;
  StartFight(fight, Context(), kNow);
  EXPECT_TRUE(Calls("GET_MOUNT").empty());
}

TEST_F(StartFightTest, SpeechLinesAreTheThreeInsults) {
  Crowd(10);
  settings.fight_group_size = 10;
  std::set<std::string> lines;
  for (int i = 0; i < 5; ++i) {
    game.calls.clear();
    StartFight(fight, Context(), kNow);
    for (const sim::Call* c : Calls("PLAY_PED_AMBIENT_SPEECH_NATIVE")) {
      lines.insert(c->text[1].substr(0, c->text[1].find(',')));
    }
  }
  EXPECT_EQ(lines,
            (std::set<std::string>{"speech{\"GENERIC_INSULT_HIGH_NEUTRAL\"",
                                   "speech{\"GENERIC_INSULT_HIGH\"", "speech{\"GENERIC_MOCK\""}));
}

TEST_F(StartFightTest, DrawOrderIsSelectionThenPerFighterArmsAndLine) {
  // With melee at 100 every fighter takes two draws to arm, then one for its line.
  settings.melee_chance = 100;
  Crowd(2);
  const int draws = DrawsTakenBy([&] { StartFight(fight, Context(), kNow); });
  // Two fighters out of two candidates: at least two selection draws, then 3 per fighter.
  EXPECT_GE(draws, 2 + 6);
  // Replaying the generator by hand gives the same fighters and lines.
  SeedRandom(random, 777);
  const std::vector<Ped> candidates = {fight.candidates[0], fight.candidates[1]};
  std::vector<Ped> selection;
  while (selection.size() < 2) {
    const Ped p = candidates[static_cast<std::size_t>(NextRandom(random)) % 2];
    if (std::find(selection.begin(), selection.end(), p) == selection.end()) selection.push_back(p);
  }
  const char* lines[] = {"GENERIC_INSULT_HIGH_NEUTRAL", "GENERIC_INSULT_HIGH", "GENERIC_MOCK"};
  std::vector<std::string> expected_lines;
  for (int i = 0; i < 2; ++i) {
    NextRandom(random);  // category
    NextRandom(random);  // weapon index
    expected_lines.push_back(lines[NextRandom(random) % 3]);
  }
  EXPECT_EQ(Roster(), selection);
  const auto speech = Calls("PLAY_PED_AMBIENT_SPEECH_NATIVE");
  ASSERT_EQ(speech.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(speech[static_cast<std::size_t>(i)]->text[1].rfind(
                  "speech{\"" + expected_lines[static_cast<std::size_t>(i)] + "\"", 0),
              0u);
  }
}

// A listed lawman (REL_COP or REL_GUAMA_LAW by its default group) falls out
// as the law only when the settings keep the law out, and only once every
// other test let it through; the group is not asked otherwise. The answer's
// low 32 bits are what count.
TEST_F(StartFightTest, TheLawIsLeftOutOnlyWhenAskedAndAfterTheOtherTests) {
  struct Case {
    const char* what;
    bool lawmen_fight, law_steps_in;
    Hash group;
    bool lassoed, garbage;
    std::size_t asked;  // GET_PED_RELATIONSHIP_GROUP_DEFAULT_HASH calls
    int law, lassoed_out;
  };
  const Case cases[] = {
      {"defaults", true, false, 0x2A318608, false, false, 0, 0, 0},
      {"lawmen_fight=false", false, false, 0x2A318608, false, false, 3, 1, 0},
      {"law_steps_in=true", true, true, 0x065A12C3, false, false, 3, 1, 0},
      {"both", false, true, 0x2A318608, false, true, 3, 1, 0},
      {"Pinkertons are no town law", false, false, 0xFCFEF6AF, false, false, 3, 0, 0},
      {"a lassoed lawman", false, false, 0x2A318608, true, false, 2, 0, 1},
  };
  for (const Case& c : cases) {
    settings = FightSettings{};
    settings.lawmen_fight = c.lawmen_fight;
    settings.law_steps_in = c.law_steps_in;
    ResetFightState(fight);
    world.peds.resize(1);
    world.garbage_high_bits = c.garbage;
    const std::vector<Ped> crowd = Crowd(3);
    world.Find(crowd[1])->default_group = c.group;
    world.Find(crowd[1])->lassoed = c.lassoed;
    game.calls.clear();
    const FightStartReport r = StartFight(fight, Context(), kNow);
    EXPECT_EQ(Calls("GET_PED_RELATIONSHIP_GROUP_DEFAULT_HASH").size(), c.asked) << c.what;
    EXPECT_EQ(r.left_out[static_cast<int>(LeftOutBy::Law)], c.law) << c.what;
    EXPECT_EQ(r.left_out[static_cast<int>(LeftOutBy::Lassoed)], c.lassoed_out) << c.what;
    EXPECT_EQ(r.candidates, 3 - c.law - c.lassoed_out) << c.what;
    if (c.law + c.lassoed_out == 1) {
      EXPECT_EQ(std::set<Ped>(Roster().begin(), Roster().end()),
                (std::set<Ped>{crowd[0], crowd[2]}))
          << c.what;
    }
  }
}

// law_steps_in sets the law against both brawl groups when they are made,
// level 6 each way, and says so once; SetLawRelations clears exactly those
// eight, and does nothing before the groups exist.
TEST_F(StartFightTest, TheLawAndTheBrawlGroupsHateEachOtherBothWaysAndAreCleared) {
  const Hash g1 = sim::GameHash("BRAWL_GROUP_1"), g2 = sim::GameHash("BRAWL_GROUP_2");
  const Hash cop = 0x2A318608, guarma = 0x065A12C3;
  const std::vector<Args> eight = {{6, cop, g1},    {6, g1, cop},    {6, cop, g2},
                                   {6, g2, cop},    {6, guarma, g1}, {6, g1, guarma},
                                   {6, guarma, g2}, {6, g2, guarma}};
  const auto args_of = [this](const char* name) {
    std::vector<Args> out;
    for (const sim::Call* c : Calls(name)) out.push_back(c->args);
    return out;
  };
  SetLawRelations(fight.groups, true);  // no groups yet
  SetLawRelations(fight.groups, false);
  EXPECT_TRUE(game.calls.empty());

  settings.law_steps_in = true;
  Crowd(3);
  EXPECT_TRUE(StartFight(fight, Context(), kNow).law_set);
  std::vector<Args> set = {{6, g1, g2}, {6, g2, g1}};
  set.insert(set.end(), eight.begin(), eight.end());
  EXPECT_EQ(args_of("SET_RELATIONSHIP_BETWEEN_GROUPS"), set);
  EXPECT_EQ(world.relations.size(), 10u);
  game.calls.clear();
  EXPECT_FALSE(StartFight(fight, Context(), kNow).law_set);  // the groups exist
  EXPECT_TRUE(Calls("SET_RELATIONSHIP_BETWEEN_GROUPS").empty());

  game.calls.clear();
  SetLawRelations(fight.groups, false);
  EXPECT_EQ(game.calls.size(), 8u);
  EXPECT_EQ(args_of("CLEAR_RELATIONSHIP_BETWEEN_GROUPS"), eight);
  EXPECT_EQ(world.relations,
            (std::map<std::pair<Hash, Hash>, std::int32_t>{{{g1, g2}, 6}, {{g2, g1}, 6}}));
  game.calls.clear();
  SetLawRelations(fight.groups, true);
  EXPECT_EQ(args_of("SET_RELATIONSHIP_BETWEEN_GROUPS"), eight);
}

}  // namespace
}  // namespace ruckvale
