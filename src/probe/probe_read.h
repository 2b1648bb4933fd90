// The probe's questions to the game about one fight's fighters and about the
// peds it let go. Read-only natives, each asked only of a ped that exists.
#pragma once

#include <cstdint>

#include "probe/probe_state.h"

namespace ruckvale {

// What the game answered about one fighter at a sample.
struct FighterReading {
  bool there = false, down = false;
  bool in_combat = false, fleeing = false, own_side = false;
  bool armed = false, holding = false, blade = false, close = false;
  bool in_group = false, riding = false;
  std::uint64_t held = 0;  // the primary hand's weapon, all 8 bytes the game may write
  Hash group = 0;
  float nearest = -1.0f;  // metres to the nearest living opponent; -1: none
  Vector3 at{};
};

// Asks the game about every fighter of the probe's fight.
void ReadFighters(const ProbeState& p, FighterReading (&out)[kProbeFighters]);

// The sample's counts of the readings.
SampleCounts CountReadings(const ProbeState& p, const FighterReading (&r)[kProbeFighters]);

// True when a reading fails one of the sample's tests.
bool FailsATest(const FighterReading& r);

// What the game answered about a let-go ped.
struct LetGoReading {
  bool there = false, mission = false, default_group = false, in_combat = false, fleeing = false;
  Hash group = 0;
};
LetGoReading ReadLetGo(Ped ped);
void CountLook(const LetGoReading& r, LookCounts& counts);

}  // namespace ruckvale
