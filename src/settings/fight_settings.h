// The tuning values of the module, each named after its key in Ruckvale.ini
// (a key with a modifier or a pad combination fills two). Defaults hold from
// load; LoadSettings overwrites what the file names; nothing else writes them.
#pragma once

#include <cstdint>

namespace ruckvale {

// F12, the trigger key unless the ini names another.
inline constexpr std::int32_t kDefaultKeyTrigger = 123;

struct FightSettings {
  std::int32_t fight_timer = 60;   // seconds between two rolls of the timer trigger
  std::int32_t fight_chance = 25;  // percent chance that a roll starts a fight
  float fight_radius = 50.0f;      // greatest distance from the player to a fighter
  std::int32_t fight_group_size = 2;
  bool humans_only = true;
  std::int32_t melee_chance = 50;
  std::int32_t revolver_chance = 5;
  std::int32_t pistol_chance = 5;
  std::int32_t shotgun_chance = 3;
  std::int32_t rifle_chance = 2;
  std::int32_t repeater_chance = 5;
  std::int32_t throwables_chance = 10;
  std::int32_t bow_chance = 10;
  std::int32_t key_trigger = kDefaultKeyTrigger;  // Windows virtual-key code, always 0 to 255
  // Ctrl, Shift or Alt that must be down when key_trigger is released (their
  // virtual-key codes 0x11, 0x10, 0x12); 0: none.
  std::int32_t key_trigger_modifier = 0;
  // pad_trigger: hold the first gamepad control, release the second; each an
  // index into kPadControls, -1: no pad trigger.
  std::int8_t pad_hold = -1;
  std::int8_t pad_press = -1;
  // toggle_key switches the triggers off and on; -1: no toggle key.
  std::int32_t toggle_key = -1;
  std::int32_t toggle_key_modifier = 0;
  bool start_enabled = true;  // the triggers' state at start
  bool log = false;           // write Ruckvale.log
  // Lawmen may be drawn as fighters; false leaves the law's groups out.
  bool lawmen_fight = true;
  // The law and the two brawl groups hate each other; implies no lawman is
  // drawn as a fighter.
  bool law_steps_in = false;
  // Its release reads Ruckvale.ini again; -1: no reload key.
  std::int32_t reload_key = -1;
  std::int32_t reload_key_modifier = 0;
  bool notify = false;  // a short notice on screen at start, toggle and reload
  // Ask the game how each fight went and write the answers to the log; writes
  // the log whatever `log` says.
  bool probe = false;
  bool HasPadTrigger() const { return pad_hold >= 0 && pad_press >= 0; }
  // Keys or controls the pass polls besides key_trigger.
  bool HasMoreBindings() const { return HasPadTrigger() || toggle_key >= 0 || reload_key >= 0; }
  // Whether a listed lawman stays out of the draw.
  bool LeavesLawOut() const { return !lawmen_fight || law_steps_in; }
};

// A gamepad control as the ini names it, and the game's control it reads.
struct PadControl {
  const char* name;
  const char* input;
};
inline constexpr int kPadControlCount = 14;
inline constexpr PadControl kPadControls[kPadControlCount] = {
    {"A", "INPUT_FRONTEND_ACCEPT"},
    {"B", "INPUT_FRONTEND_CANCEL"},
    {"X", "INPUT_FRONTEND_X"},
    {"Y", "INPUT_FRONTEND_Y"},
    {"LB", "INPUT_FRONTEND_LB"},
    {"RB", "INPUT_FRONTEND_RB"},
    {"LT", "INPUT_FRONTEND_LT"},
    {"RT", "INPUT_FRONTEND_RT"},
    {"LS", "INPUT_FRONTEND_LS"},
    {"RS", "INPUT_FRONTEND_RS"},
    {"DPAD_UP", "INPUT_FRONTEND_UP"},
    {"DPAD_DOWN", "INPUT_FRONTEND_DOWN"},
    {"DPAD_LEFT", "INPUT_FRONTEND_LEFT"},
    {"DPAD_RIGHT", "INPUT_FRONTEND_RIGHT"},
};

// The virtual-key codes of the modifiers a key setting may name.
inline constexpr std::int32_t kVirtualKeyShift = 0x10;
inline constexpr std::int32_t kVirtualKeyControl = 0x11;
inline constexpr std::int32_t kVirtualKeyAlt = 0x12;

}  // namespace ruckvale
