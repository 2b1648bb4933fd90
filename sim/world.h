// The simulated game world: the player, the peds around it, relationship
// groups, the clock and the keyboard, and the knobs that make the game answer
// the way a hostile or unusual game would. Plain data; Game answers natives
// from it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/types.h"

namespace ruckvale::sim {

// The game's relationship level for hate, and its combat attribute that
// sends a ped running (CA_ALWAYS_FLEE).
inline constexpr std::int32_t kRelationshipHate = 6;
inline constexpr std::int32_t kAttributeAlwaysFlee = 17;

enum class Life : std::uint8_t { Alive, Dying, Dead };

// A game that reads one value otherwise than the platform notes say, as the
// real one might: fighters flee though attribute 17 is off (Flee); a firearm
// given at attach point 0 goes to the off hand (Hand); a released ped keeps
// its brawl group (Group); the nearby list comes in 4-byte positions (Layout);
// blades keep their distance (Melee: they do not close in); the brawl groups
// do not attack each other at level 6 (Hate).
enum class Contrary : std::uint8_t { None, Flee, Hand, Group, Layout, Melee, Hate };
enum class Species : std::uint8_t { Human, Horse, Dog };

struct SimPed {
  Ped handle = 0;
  Vector3 pos{};
  Species species = Species::Human;
  bool exists = true;
  Life life = Life::Alive;
  bool in_combat = false;
  // The group the game gave it (REL_COP for a lawman); 0: its species'.
  Hash default_group = 0;
  // What the module did to it.
  Hash group = 0;
  Hash brawl_group = 0;  // the last of the module's groups it was given
  // Persistent: the engine never removes it, alive or dead, until the
  // module releases it with SET_ENTITY_AS_NO_LONGER_NEEDED.
  bool mission_entity = false;
  // A mission entity of another script (a story mission, a bounty, a
  // companion); taken_from_story once the module grabbed it.
  bool story_owned = false;
  bool taken_from_story = false;
  // Attribute 17 (CA_ALWAYS_FLEE) set: a combat task sends it running.
  bool fleeing = false;
  bool blocking_events = false;
  bool keep_task = false;
  std::int32_t flee_attributes = -1;
  std::map<std::int32_t, bool> combat_attributes;  // attribute: enabled
  bool Attribute(std::int32_t attribute) const;
  std::int32_t combat_ability = -1, combat_range = -1, combat_movement = -1;
  std::vector<std::pair<Hash, std::int32_t>> weapons;  // given, with ammunition
  Hash current_weapon = 0;                             // in the primary hand (attach point 0)
  Hash off_hand_weapon = 0;                            // in the secondary hand (attach point 1)
  Ped task_target = 0;                                 // the last TASK_COMBAT_PED target
  std::vector<Ped> registered;                         // REGISTER_TARGET targets, in order
  // What holds it: a horse under it, a vehicle, ropes, a lasso. The clear of
  // its tasks does not free it.
  bool on_mount = false, in_vehicle = false, hogtied = false, lassoed = false;
  std::uint32_t tasks = 0;     // TASK_COMBAT_PED received
  std::uint32_t cleared = 0;   // CLEAR_PED_TASKS_IMMEDIATELY received
  std::uint32_t released = 0;  // SET_ENTITY_AS_NO_LONGER_NEEDED received
  std::string last_speech;
  // Scene bookkeeping (the built-in scene's dynamics).
  float dying_for = 0.0f;        // seconds since it began dying
  std::uint32_t seen_tasks = 0;  // tasks already turned into combat
};

// How GET_PED_NEARBY_PEDS answers.
struct NearbyAnswer {
  // 8-byte slots as the game's scripts lay them out (the size in slot 0,
  // handle k at byte offset 8*k); false: 4-byte positions (handle k at 4*k).
  bool eight_byte_slots = true;
  bool list_player = false;  // list the player's own ped too
  bool repeat_each = false;  // list every ped twice
  int count_override = 0;    // with override_count: return this count
  bool override_count = false;
  bool garbage_fill = false;  // fill the unused positions with garbage
  std::vector<Ped> extra;     // handles listed first, whether or not they exist
};

// A help message the module posted, as the game shows it: current and
// "showing" from `tick` for `duration_ms`.
struct ShownNotice {
  std::uint32_t tick = 0;
  std::string text;
  std::int32_t id = 0;
  std::uint32_t duration_ms = 0;
};

// The game's screen as its help guard reads it.
struct Screen {
  bool pause_menu = false;
  bool hud_hidden = false;
  std::int32_t help_slot_state = 0;  // _GET_HUD_VISIBILITY_SLOT_STATE(5): 2 hidden
  bool faded_in = true;
  // The help messages posted so far, in order; the ids count up from 1.
  std::vector<ShownNotice> notices;
  // The current help message at `tick` (0: none), and its state: 4 while
  // showing, 5 once over.
  std::int32_t CurrentMessage(std::uint32_t tick) const;
  std::int32_t MessageState(std::int32_t id, std::uint32_t tick) const;
};

struct World {
  Ped player = 1;
  std::vector<SimPed> peds;  // the player's ped is peds[0]
  std::uint32_t tick = 0;
  bool reset_flag = false;
  bool game_in_foreground = true;     // the game's window has the keyboard
  bool no_foreground_window = false;  // no window has it (Windows between two)
  std::uint8_t keys_down[256] = {};
  // Gamepad controls (by the hash of their INPUT_ name) held now, and those
  // released since the frame before; the keyboard and mouse in use.
  std::vector<Hash> controls_down;
  std::vector<Hash> controls_released;
  bool keyboard_in_use = false;
  Screen screen;
  float nearby_range = 100.0f;  // how far the game looks for nearby peds

  // Relationship groups the module added, and the levels between them.
  std::map<std::string, Hash> groups;
  std::map<std::pair<Hash, Hash>, std::int32_t> relations;
  // Relationship 6 is hate, the only level that makes a group attack another
  // (5 is "wanted"). Between the module's groups, and between the law and
  // them, it goes by the levels set; other peds fight whom they are told.
  bool Hostile(const SimPed& attacker, const SimPed& target) const;
  // True for a group the module added.
  bool IsBrawlGroup(Hash group) const;
  // The group the game gives a ped of that species before any script sets one.
  static Hash DefaultGroup(Species species);
  // The group the game gave this ped, and the one it is in now.
  static Hash DefaultGroup(const SimPed& p);
  static Hash GroupOf(const SimPed& p);

  // The horse the player rides (no script keeps it), or 0; and the horse the
  // player has, ridden or not (0: none).
  Ped player_mount = 0;
  Ped players_horse = 0;

  // Knobs of a hostile or unusual game.
  NearbyAnswer nearby;
  bool group_writes_8_bytes = false;  // ADD_RELATIONSHIP_GROUP writes 8 bytes
  bool group_leaves_zero = false;     // ADD_RELATIONSHIP_GROUP writes nothing
  bool hash_key_zero = false;         // GET_HASH_KEY returns 0
  bool garbage_high_bits = false;     // results carry garbage in bits 32 to 63
  bool null_result = false;           // nativeCall returns no result slots
  Contrary contrary = Contrary::None;
  // A fighter in combat with a blade or its fists runs at its target until it
  // stands 1.5 units from it. Off in the fixed scenarios, whose traces keep
  // the peds where they stand.
  bool blades_close_in = false;
  // A fighter with a target it hates stays in combat until the target is
  // down, instead of dropping out now and then. Off in the fixed scenarios.
  bool steady_fighters = false;

  World();
  SimPed* Find(Ped handle);
  const SimPed* Find(Ped handle) const;
  SimPed& Player() { return peds[0]; }
  // The existing peds the module keeps persistent (not those of other scripts).
  int KeptPersistent() const;
  // Story peds the module grabbed from their scripts.
  int story_peds_taken = 0;
  // Combat tasks and registered targets that name a ped of the attacker's own
  // brawl group.
  int own_side_orders = 0;
  // Living peds released while they still blocked events or stood in a brawl group.
  int let_go_blind = 0;
  // Adds a ped at (x, y, 0) and returns its handle.
  Ped AddPed(float x, float y, Species species = Species::Human);
  Ped next_handle = 100;
};

}  // namespace ruckvale::sim
