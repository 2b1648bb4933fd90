// The built-in scene of the simulator: a small town street around the player,
// and the simple seeded dynamics that stand in for the game's own AI.
//
// The model, per frame of dt seconds:
//   - a ped that received a combat task goes into combat on the next frame,
//     unless its combat attribute 17 (always flee) is set: then it runs from
//     the player at 5 units a second instead;
//   - a ped told to fight one whose group its own group does not hate (level
//     6; the module's two groups, or one group against itself) drops out at
//     1 per second;
//   - a ped in combat drops out (goes idle) at 0.15 per second, and its
//     target dies at a rate set by the attacker's current weapon: unarmed
//     0.01/s (a brawl), melee 0.04/s, bow 0.12/s, throwables 0.2/s, firearms
//     0.25/s; a target that is dead or gone also ends the combat;
//   - a dying ped is dead after 1 s; a dead ped vanishes after 8 s, and a
//     new ped walks in for it;
//   - every 20 s on average a ped that is not fighting walks away (vanishes)
//     and a new one walks in at 3 to 80 units (8 in 10 humans);
//   - as in the engine, a ped the module made a mission entity is never
//     removed, alive or dead, until the module releases it; the street's 30
//     include the bodies it keeps, so a leak fills the street with bodies;
//   - a cutscene sets the reset flag for 3 s about every 75 s;
//   - a ped in combat whose target is down turns to its next living
//     registered target; with none left it drops out;
//   - besides the 30, two story peds (mission entities of another script: a
//     companion and a bounty) stay near the player, two riders, a wagon's
//     driver, a hogtied ped and a lassoed one are in the street, and two
//     bodies lie there for ten minutes: the game lists the dead too; one in
//     eight passers-by rides in and one in sixteen drives;
//   - only when the scene is made with lawmen: a sheriff and three deputies
//     (default group REL_COP, a Cattleman revolver each) stand at posts 10
//     to 25 units from the player and never walk away. A lawman out of combat
//     whose group hates a brawl group (level 6, as law_steps_in sets it)
//     joins the fight at 1 per second against the nearest fighter of such
//     a group that is in combat within 30 units; that fighter turns on him
//     (fights back). From then on the lawman fights by the rules above.
//     Without lawmen the scene draws exactly as it did before.
// It is a stand-in, not the game: its only job is to give the module's
// triggers, supervision and pruning something to do.
#pragma once

#include <cstdint>

#include "sim/world.h"

namespace ruckvale::sim {

struct SceneEvent {
  enum Kind : std::uint8_t {
    Died,
    Vanished,
    WalkedIn,
    DroppedOut,
    Fled,
    CutsceneStart,
    CutsceneEnd,
    LawJoined
  };
  Kind kind;
  Ped ped;
  Ped by;  // for Died: the attacker; for LawJoined: the fighter the lawman goes for
};

class Scene {
 public:
  // `lawmen`: the street has a sheriff and deputies (off in the fixed
  // scenarios, whose traces it would change).
  explicit Scene(std::uint64_t seed, bool lawmen = false);
  // Fills the world: the player at the origin and 30 peds (24 humans, 3
  // horses, 3 dogs), then two story peds, five held peds and two bodies,
  // then the lawmen if the scene has them.
  void Populate(World& world);
  // Advances the world by dt seconds; `emit` receives each event.
  template <typename Emit>
  void Step(World& world, float dt, Emit&& emit) {
    StepImpl(
        world, dt, [](void* ctx, const SceneEvent& e) { (*static_cast<Emit*>(ctx))(e); }, &emit);
  }

 private:
  using EmitFn = void (*)(void*, const SceneEvent&);
  void StepImpl(World& world, float dt, EmitFn emit, void* ctx);
  void StepCutscene(World& world, float dt, EmitFn emit, void* ctx);
  void StepCombat(World& world, SimPed& p, float dt, EmitFn emit, void* ctx);
  void StepLawman(World& world, SimPed& p, float dt, EmitFn emit, void* ctx);
  double Uniform();  // [0, 1)
  bool Chance(double per_second, float dt);
  Ped SpawnPed(World& world);
  void Direction(float& x, float& y);
  std::uint64_t state_;
  float cutscene_left_ = 0.0f;
  bool lawmen_ = false;
};

}  // namespace ruckvale::sim
