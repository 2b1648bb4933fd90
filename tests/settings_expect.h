// The fourteen defaults of Ruckvale.ini, stated once for the tests.
#pragma once

#include <gtest/gtest.h>

#include "settings/fight_settings.h"

namespace ruckvale::testing_support {

inline void ExpectDefaults(const FightSettings& s) {
  EXPECT_EQ(s.fight_timer, 60);
  EXPECT_EQ(s.fight_chance, 25);
  EXPECT_EQ(s.fight_radius, 50.0f);
  EXPECT_EQ(s.fight_group_size, 2);
  EXPECT_TRUE(s.humans_only);
  EXPECT_EQ(s.melee_chance, 50);
  EXPECT_EQ(s.revolver_chance, 5);
  EXPECT_EQ(s.pistol_chance, 5);
  EXPECT_EQ(s.shotgun_chance, 3);
  EXPECT_EQ(s.rifle_chance, 2);
  EXPECT_EQ(s.repeater_chance, 5);
  EXPECT_EQ(s.throwables_chance, 10);
  EXPECT_EQ(s.bow_chance, 10);
  EXPECT_EQ(s.key_trigger, 123);
}

}  // namespace ruckvale::testing_support
