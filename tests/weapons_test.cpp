// The weapon catalogue, the weighted category draw and the arming of a fighter.
#include <gtest/gtest.h>

#include <optional>

#include "fight/combatant.h"
#include "fight/weapons.h"
#include "fight_fixture.h"
#include "settings/ini_line.h"
#include "sim/game_hash.h"

namespace ruckvale {
namespace {

using testing_support::FightTest;
using W = WeaponCategory;
using Args = std::vector<std::uint64_t>;

constexpr std::uint64_t kUnarmed = 0xA2719263;

struct Band {
  int from, to;  // c from..to inclusive
  std::optional<WeaponCategory> category;
};

void ExpectBands(FightTest& t, const std::vector<Band>& bands) {
  for (const Band& band : bands) {
    for (int c = band.from; c <= band.to; ++c) {
      t.SeedForDraw(c);
      EXPECT_EQ(ChooseWeaponCategory(t.Context()), band.category) << "c = " << c;
    }
  }
}

TEST_F(FightTest, DefaultChancesSplitTheHundredDraws) {
  ExpectBands(*this, {{0, 49, W::Melee},
                      {50, 54, W::Revolver},
                      {55, 59, W::Pistol},
                      {60, 62, W::Shotgun},
                      {63, 64, W::Rifle},
                      {65, 69, W::Repeater},
                      {70, 79, W::Throwable},
                      {80, 89, W::Bow},
                      {90, 99, std::nullopt}});
}

TEST_F(FightTest, NegativeChanceLowersEveryLaterSum) {
  settings.melee_chance = -10;
  ExpectBands(*this, {{0, 2, W::Shotgun},
                      {3, 4, W::Rifle},
                      {5, 9, W::Repeater},
                      {10, 19, W::Throwable},
                      {20, 29, W::Bow},
                      {30, 99, std::nullopt}});
}

TEST_F(FightTest, HugeChancesNeverWrapTheRunningSum) {
  settings.melee_chance = 2147483647;
  settings.revolver_chance = 2147483647;  // a 32-bit sum would wrap negative here
  ExpectBands(*this, {{0, 99, W::Melee}});
  settings.melee_chance = -2147483647 - 1;
  settings.revolver_chance = 2147483647;
  settings.pistol_chance = 2147483647;
  ExpectBands(*this, {{0, 99, W::Pistol}});
  // Sums that would wrap in 32 bits, past 2^31 - 1 and below -2^31.
  settings = FightSettings{};
  settings.melee_chance = 50;
  settings.revolver_chance = 2147483647;
  ExpectBands(*this, {{0, 49, W::Melee}, {50, 99, W::Revolver}});
  settings = FightSettings{};
  settings.melee_chance = -2147483647 - 1;
  settings.revolver_chance = -1;
  settings.pistol_chance = settings.shotgun_chance = settings.rifle_chance = 0;
  settings.repeater_chance = settings.throwables_chance = settings.bow_chance = 0;
  ExpectBands(*this, {{0, 99, std::nullopt}});
}

TEST_F(FightTest, MeleeAtAHundredOrMoreTakesEveryDraw) {
  for (const int chance : {100, 1000}) {
    settings.melee_chance = chance;
    ExpectBands(*this, {{0, 99, W::Melee}});
  }
}

TEST_F(FightTest, AllChancesZeroLeavesEveryFighterUnarmed) {
  FightSettings& s = settings;
  s.melee_chance = s.revolver_chance = s.pistol_chance = s.shotgun_chance = 0;
  s.rifle_chance = s.repeater_chance = s.throwables_chance = s.bow_chance = 0;
  EXPECT_EQ(DrawsTakenBy([&] { ArmCombatant(Context(), 100); }), 1);
  game.calls.clear();
  ArmCombatant(Context(), 100);
  ASSERT_EQ(Names(), (std::vector<std::string>{"SET_CURRENT_PED_WEAPON"}));
  EXPECT_EQ(game.calls[0].args, (Args{100, kUnarmed, 1, 0, 0, 0}));
}

struct CategoryCase {
  WeaponCategory category;
  int min_ammo, max_ammo;
  std::uint64_t kind;
  int draws;
};

// Arms with only `category` possible and checks ammunition, kind and draws.
TEST_F(FightTest, AmmunitionKindAndDrawsPerCategory) {
  const CategoryCase cases[] = {
      {W::Melee, 1, 1, 0, 2},     {W::Revolver, 30, 69, 0, 3}, {W::Pistol, 30, 69, 0, 3},
      {W::Shotgun, 30, 69, 0, 3}, {W::Rifle, 30, 69, 0, 3},    {W::Repeater, 30, 69, 0, 3},
      {W::Throwable, 3, 5, 0, 3}, {W::Bow, 30, 69, 0, 3},
  };
  for (const CategoryCase& c : cases) {
    FightSettings& s = settings;
    s = FightSettings{};
    std::int32_t* chances[] = {&s.melee_chance,      &s.revolver_chance, &s.pistol_chance,
                               &s.shotgun_chance,    &s.rifle_chance,    &s.repeater_chance,
                               &s.throwables_chance, &s.bow_chance};
    for (int i = 0; i < 8; ++i) *chances[i] = i == static_cast<int>(c.category) ? 100 : 0;
    EXPECT_EQ(DrawsTakenBy([&] { ArmCombatant(Context(), 100); }), c.draws)
        << WeaponCategoryName(c.category);
    int seen_min = 1000, seen_max = -1;
    for (std::uint32_t seed = 0; seed < 400; ++seed) {
      SeedRandom(random, seed);
      game.calls.clear();
      ArmCombatant(Context(), 100);
      const auto give = Calls("GIVE_WEAPON_TO_PED");
      ASSERT_EQ(give.size(), 1u);
      const Args& a = give[0]->args;
      ASSERT_EQ(a.size(), 13u);
      const auto ammo = static_cast<int>(a[2]);
      seen_min = std::min(seen_min, ammo);
      seen_max = std::max(seen_max, ammo);
      EXPECT_EQ(a[5], c.kind);
      const auto current = Calls("SET_CURRENT_PED_WEAPON");
      ASSERT_EQ(current.size(), 1u);
      EXPECT_EQ(current[0]->args, (Args{100, a[1], 1, c.kind, 0, 0}));
    }
    EXPECT_EQ(seen_min, c.min_ammo) << WeaponCategoryName(c.category);
    EXPECT_EQ(seen_max, c.max_ammo) << WeaponCategoryName(c.category);
  }
}

// p7 and p8 are floats (0.5, 1.0): their bit patterns in the low 32 bits.
TEST_F(FightTest, GiveWeaponPassesThirteenSlotsWithClearZerosAndFloatBits) {
  SeedRandom(random, 3);
  GiveRandomWeapon(Context(), -2, catalogue[static_cast<int>(W::Bow)]);
  const auto hash = Calls("GET_HASH_KEY");
  ASSERT_EQ(hash.size(), 1u);
  EXPECT_EQ(hash[0]->text[0], "\"ADD_REASON_DEFAULT\"");
  const auto give = Calls("GIVE_WEAPON_TO_PED");
  ASSERT_EQ(give.size(), 1u);
  const std::uint64_t ammo = give[0]->args[2];
  EXPECT_EQ(give[0]->args, (Args{0xFFFFFFFE, 0x88A8505C, ammo, 1, 1, 0, 0, 0x3F000000, 0x3F800000,
                                 sim::GameHash("ADD_REASON_DEFAULT"), 0, 0, 0}));
}

TEST_F(FightTest, TheOneBowStillTakesItsIndexDraw) {
  EXPECT_EQ(DrawsTakenBy([&] { GiveRandomWeapon(Context(), 100, catalogue[7]); }), 2);
  game.calls.clear();
  GiveRandomWeapon(Context(), 100, catalogue[7]);
  EXPECT_EQ(Calls("GIVE_WEAPON_TO_PED")[0]->args[1], 0x88A8505Cu);
}

TEST_F(FightTest, AnEmptyListDrawsNothingAndCallsNothing) {
  const std::vector<Hash> empty;
  EXPECT_EQ(DrawsTakenBy([&] { GiveRandomWeapon(Context(), 100, empty); }), 0);
  EXPECT_TRUE(game.calls.empty());
}

TEST_F(FightTest, CatalogueHoldsThirtyWeaponsInOrderEvenWhenBuiltTwice) {
  BuildWeaponCatalogue(catalogue);
  BuildWeaponCatalogue(catalogue);
  const std::size_t lengths[] = {4, 4, 4, 5, 4, 4, 4, 1};
  std::size_t total = 0;
  for (int c = 0; c < 8; ++c) {
    EXPECT_EQ(catalogue[static_cast<std::size_t>(c)].size(), lengths[c]);
    total += catalogue[static_cast<std::size_t>(c)].size();
  }
  EXPECT_EQ(total, 30u);
  EXPECT_EQ(catalogue[0][0], sim::GameHash("WEAPON_MELEE_KNIFE"));
  EXPECT_EQ(catalogue[3][4], sim::GameHash("WEAPON_SHOTGUN_SAWEDOFF"));
  EXPECT_EQ(catalogue[4][2], sim::GameHash("WEAPON_SNIPERRIFLE_ROLLINGBLOCK"));
  EXPECT_EQ(catalogue[6][2], sim::GameHash("WEAPON_THROWN_THROWING_KNIVES"));
  EXPECT_EQ(catalogue[7][0], 0x88A8505Cu);
  EXPECT_EQ(game.Find("GET_HASH_KEY").size(), 60u);
}

// What preparation leaves on the ped; only the grab comes first, and the old
// weapons go before the new one comes.
TEST_F(FightTest, PreparationLeavesAFighterReadyAndArmed) {
  settings.melee_chance = 100;
  const Ped ped = world.AddPed(3, 0);
  sim::SimPed& p = *world.Find(ped);
  p.in_combat = true;
  p.weapons = {{0x1234, 7}};
  p.combat_attributes[17] = true;  // left on by an earlier script
  PrepareCombatant(Context(), ped);
  EXPECT_EQ(game.calls.front().name, "SET_ENTITY_AS_MISSION_ENTITY");
  EXPECT_EQ(game.calls.front().args, (Args{static_cast<std::uint32_t>(ped), 1, 1}));
  EXPECT_TRUE(p.mission_entity);
  EXPECT_EQ(p.cleared, 1u);
  EXPECT_FALSE(p.in_combat);
  EXPECT_TRUE(p.blocking_events);
  EXPECT_EQ(p.flee_attributes, 0);
  // 5 always fight, 17 always flee (off), 46 fight armed peds unarmed; a
  // blade brings 93, prefer melee, and the near range.
  EXPECT_EQ(p.combat_attributes,
            (std::map<std::int32_t, bool>{{5, true}, {17, false}, {46, true}, {93, true}}));
  EXPECT_EQ(p.combat_ability, 2);
  EXPECT_EQ(p.combat_range, 0);
  EXPECT_EQ(p.combat_movement, 2);
  EXPECT_TRUE(p.keep_task);
  ASSERT_EQ(p.weapons.size(), 1u);    // the old weapon is gone
  EXPECT_EQ(p.weapons[0].second, 1);  // melee: one, as the game's scripts give it
  EXPECT_EQ(p.current_weapon, p.weapons[0].first);
  EXPECT_EQ(p.off_hand_weapon, 0u);
  // Twelve settings, the add reason, the weapon, the hand, then melee at range 0.
  ASSERT_EQ(game.calls.size(), 17u);
  EXPECT_EQ(game.calls[15].args, (Args{static_cast<std::uint32_t>(ped), 93, 1}));
  EXPECT_EQ(game.calls[16].name, "SET_PED_COMBAT_RANGE");
  EXPECT_EQ(game.calls[16].args, (Args{static_cast<std::uint32_t>(ped), 0}));
}

// Fists and blades close in; firearms, throwables and the bow keep range 2.
TEST_F(FightTest, OnlyBladesAndFistsFightAtNearRange) {
  struct Case {
    const char* chance;  // the one category at 100, or none: unarmed
    int range;
  };
  const Case cases[] = {{"melee", 0},    {nullptr, 0},      {"revolver", 2},
                        {"pistol", 2},   {"shotgun", 2},    {"rifle", 2},
                        {"repeater", 2}, {"throwables", 2}, {"bow", 2}};
  for (const Case& c : cases) {
    FightSettings s;
    for (const char* key :
         {"melee", "revolver", "pistol", "shotgun", "rifle", "repeater", "throwables", "bow"}) {
      const bool on = c.chance != nullptr && std::string(key) == c.chance;
      ApplyIniLine(InterpretIniLine(std::string(key) + "_chance=" + (on ? "100" : "0")), s);
    }
    settings = s;
    const Ped ped = world.AddPed(3, 0);
    PrepareCombatant(Context(), ped);
    EXPECT_EQ(world.Find(ped)->combat_range, c.range) << (c.chance ? c.chance : "unarmed");
    EXPECT_EQ(world.Find(ped)->Attribute(93), c.range == 0) << (c.chance ? c.chance : "unarmed");
  }
}

}  // namespace
}  // namespace ruckvale
