#include "sim/scenarios.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "fight/law.h"
#include "settings/fight_settings.h"
#include "sim/game_hash.h"
#include "sim/module_run.h"
#include "sim/scene.h"

namespace ruckvale::sim {

namespace {

// [SECTION] Helpers
//   Crowd, Body, StoryPed, Press, RestartAndPress, Lawman, Held, AFighter, PadPress,
//   PressWith, PressAround, RunScene, LogText, KeepLog
// [SECTION] The scenarios
//   one function per scenario, then the table: name, what it covers, ini,
//   start tick, function

// The default trigger key, F12: none of the scenarios' inis names another.
constexpr int kF12 = kDefaultKeyTrigger;

// n humans on a line east of the player, 2 units apart from 4 units out.
void Crowd(World& w, int n, Species species = Species::Human) {
  for (int i = 0; i < n; ++i) w.AddPed(4.0f + 2.0f * static_cast<float>(i), 1.0f, species);
}

// Holds `key` down for three frames, then releases it.
void Press(ModuleRun& run, int key = kF12) {
  run.game.world.keys_down[key] = 1;
  run.Frames(3);
  run.game.world.keys_down[key] = 0;
  run.Frame();
}

// A body lying at (x, y), and a ped a story mission keeps.
void Body(World& w, float x, float y) {
  w.Find(w.AddPed(x, y))->life = Life::Dead;
}
void StoryPed(World& w, float x, float y) {
  SimPed& p = *w.Find(w.AddPed(x, y));
  p.mission_entity = true;
  p.story_owned = true;
}

// The game starts the script again (a reload) with `ini` as Ruckvale.ini,
// and runs two frames.
void ReloadWith(ModuleRun& r, const char* ini) {
  std::ofstream("Ruckvale.ini", std::ios::binary) << ini;
  r.host.StartScript();
  r.Frames(2);
}

// The game starts the script again (a reload); two frames later the key is
// released.
void RestartAndPress(ModuleRun& r) {
  r.host.StartScript();
  r.Frames(2);
  Press(r);
}

// A lawman at (x, y): a ped whose default group is the law's.
SimPed& Lawman(World& w, float x, float y, Hash group = kRelCop) {
  SimPed& p = *w.Find(w.AddPed(x, y));
  p.default_group = group;
  return p;
}

// A ped at (x, y) held where it stands: riding, driving, hogtied, lassoed.
void Held(World& w, float x, float y, bool SimPed::*how) {
  w.Find(w.AddPed(x, y))->*how = true;
}

// The first fighter of the roster found in the world, as the module marks them.
SimPed* AFighter(World& w) {
  for (SimPed& p : w.peds) {
    if (p.mission_entity && !p.story_owned && p.exists && p.life == Life::Alive) return &p;
  }
  return nullptr;
}

// Holds the gamepad control `hold` while `press` goes down and up.
void PadPress(ModuleRun& run, const char* hold, const char* press) {
  World& w = run.game.world;
  if (hold != nullptr) w.controls_down = {GameHash(hold)};
  w.controls_down.push_back(GameHash(press));
  run.Frames(3);
  w.controls_down.pop_back();
  w.controls_released = {GameHash(press)};
  run.Frame();
  w.controls_released.clear();
  w.controls_down.clear();
}

// Holds `modifier` around a press of `key`; released before the key when `early`.
void PressWith(ModuleRun& run, int modifier, int key, bool early) {
  World& w = run.game.world;
  w.keys_down[modifier] = 1;
  w.keys_down[key] = 1;
  run.Frames(2);
  if (early) w.keys_down[modifier] = 0;
  run.Frame();
  w.keys_down[key] = 0;
  run.Frame();
  w.keys_down[modifier] = 0;
}

// The key goes down and up with the game's window in the foreground or not
// at each of the two moments.
void PressAround(ModuleRun& run, bool foreground_down, bool foreground_up) {
  World& w = run.game.world;
  w.game_in_foreground = foreground_down;
  w.keys_down[kF12] = 1;
  run.Frames(2);
  w.game_in_foreground = foreground_up;
  w.keys_down[kF12] = 0;
  run.Frame();
  w.game_in_foreground = true;
}

// The built-in scene with its dynamics for `frames` frames, the key released
// every `press_every` frames.
void RunScene(ModuleRun& run, std::uint64_t seed, int frames, int press_every) {
  Scene scene(seed);
  World& w = run.game.world;
  scene.Populate(w);
  for (int f = 0; f < frames; ++f) {
    w.keys_down[kF12] = press_every > 0 && f % press_every >= press_every - 3 ? 1 : 0;
    scene.Step(w, 1.0f / 30.0f, [](const SceneEvent&) {});
    run.Frame(33);
  }
}

// The module's Ruckvale.log, when it wrote one: whole, or its head and tail
// when long.
std::string LogText(const char* name = "Ruckvale.log") {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(name, ec)) return "";
  std::ifstream in(name, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  const std::string log = content.str();
  std::string text = std::string("-- ") + name + ", " + std::to_string(log.size()) + " bytes\n";
  if (log.size() <= 65536) return text + log;
  const std::size_t head = log.find('\n', 4096);
  const std::size_t tail = log.rfind('\n', log.size() - 400);
  return text + log.substr(0, head + 1) + "...\n" + log.substr(tail + 1);
}

// The logs kept so far in the running scenario, for its trace.
std::string g_kept_logs;
void KeepLog() {
  g_kept_logs += LogText();
}
// The log a restart moved aside, with what was written as it closed.
void KeepMovedLog() {
  g_kept_logs += LogText("Ruckvale.log.1");
}

struct Scenario {
  ScenarioInfo info;
  const char* ini;  // nullptr: no Ruckvale.ini
  std::uint32_t start_tick;
  void (*body)(ModuleRun&);
};

// [SECTION] The scenarios: each one's body, then the table

void IdleDefaults(ModuleRun& r) {
  r.Frames(20);
}

void KeyFight(ModuleRun& r) {
  Crowd(r.game.world, 6);
  r.Frames(2);
  Press(r);
  r.Frames(5);
  r.game.world.Find(r.game.world.peds[1].handle)->life = Life::Dead;
  r.Frames(80, 100);
}

void Gate(ModuleRun& r) {
  Crowd(r.game.world, 4);
  r.Frames(3);
  r.game.world.keys_down[kF12] = 1;
  r.Frame();
  r.game.world.reset_flag = true;
  r.game.world.keys_down[kF12] = 0;
  r.Frames(10, 500);
  r.game.world.reset_flag = false;
  r.Frames(5);
}

void TimerEveryPass(ModuleRun& r) {
  Crowd(r.game.world, 5);
  r.Frames(12);
}

void TimerBounds(ModuleRun& r) {
  Crowd(r.game.world, 3);
  r.Frames(10, 1000);
}

void TickWrap(ModuleRun& r) {
  Crowd(r.game.world, 6);
  r.Frames(1500, 33);
}

void FiveFighters(ModuleRun& r) {
  Crowd(r.game.world, 3);
  Crowd(r.game.world, 3, Species::Horse);
  r.Frame();
  Press(r);
  r.Frames(4);
}

void RadiusEdge(ModuleRun& r) {
  World& w = r.game.world;
  w.AddPed(3.0f, 4.0f);
  w.AddPed(3.0f, 4.001f);
  w.AddPed(0.0f, -5.0f);
  w.AddPed(2.0f, 2.0f, Species::Dog);
  r.Frame();
  Press(r);
  Press(r);
}

void HostileNearby(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 40);
  r.Frame();
  w.nearby.eight_byte_slots = true;
  Press(r);
  w.nearby.eight_byte_slots = false;
  w.nearby.repeat_each = true;
  Press(r);
  w.nearby.repeat_each = false;
  w.nearby.override_count = true;
  w.nearby.count_override = 1000;
  w.nearby.garbage_fill = true;
  Press(r);
  w.nearby.count_override = -3;
  Press(r);
  w.nearby.override_count = false;
  w.nearby.list_player = true;
  w.nearby.extra = {0, -1, 1, 1};
  Press(r);
}

void HostileAnswers(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 4);
  w.group_leaves_zero = true;
  w.hash_key_zero = true;
  r.Frame();
  Press(r);
  w.group_leaves_zero = false;
  w.group_writes_8_bytes = true;
  w.garbage_high_bits = true;
  Press(r);
  r.Frames(20, 300);
}

void Restart(ModuleRun& r) {
  Crowd(r.game.world, 4);
  r.Frames(5, 1000);
  r.host.StartScript();
  r.Frames(5, 1000);
}

void Releases(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 5);
  r.Frame();
  Press(r);
  // One fighter dies, one vanishes although the engine keeps it.
  int hit = 0;
  for (SimPed& p : w.peds) {
    if (!p.mission_entity) continue;
    if (hit == 0) p.life = Life::Dead;
    if (hit == 1) p.exists = false;
    ++hit;
  }
  r.Frames(2);
  Crowd(w, 4);
  Press(r);
  w.nearby.eight_byte_slots = false;
  Press(r);
  w.nearby.eight_byte_slots = true;
  RestartAndPress(r);
  r.Frames(3, 2500);
}

void Recipe(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 6);
  Body(w, 3.0f, 2.0f);
  StoryPed(w, 5.0f, -2.0f);
  Body(w, 70.0f, 0.0f);
  StoryPed(w, 0.0f, 75.0f);
  r.Frame();
  for (int i = 0; i < 4; ++i) Press(r);  // fights replace fights, fighters drawn again
  // A fighter of the running fight dies, another becomes a body in the list.
  for (SimPed& p : w.peds) {
    if (p.mission_entity && !p.story_owned) {
      p.life = Life::Dead;
      break;
    }
  }
  PressAround(r, false, true);  // down in the background, up in the game: a fight
  PressAround(r, true, false);  // up in the background: ignored
  w.no_foreground_window = true;
  PressAround(r, true, true);  // no window has the keyboard: ignored
  w.no_foreground_window = false;
  RestartAndPress(r);
  r.Frames(3, 2500);
}

// Started so that the first release falls on tick 0.
void SidesOfThree(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 5);
  Held(w, 3.0f, -2.0f, &SimPed::on_mount);
  Held(w, 5.0f, -3.0f, &SimPed::in_vehicle);
  Held(w, 6.0f, 2.0f, &SimPed::hogtied);
  Held(w, 2.0f, 4.0f, &SimPed::lassoed);
  Held(w, 60.0f, 0.0f, &SimPed::on_mount);  // beyond the radius
  r.Frame();
  Press(r);                         // at tick 0: nobody rests, the next pass re-tasks
  r.Frames(70, 100);                // nobody fights back in this game: re-tasks every 2 s
  AFighter(w)->life = Life::Dying;  // drawn as a target in this pass, then pruned
  r.Frames(30, 100);
  Press(r);                      // replaced with survivors; a fighter drawn again
  AFighter(w)->on_mount = true;  // a fighter of the running fight mounts a horse
  Press(r);
  for (int i = 0; i < 3; ++i) {
    if (SimPed* p = AFighter(w)) p->life = Life::Dead;
    r.Frames(25, 100);  // the last side standing is let go
  }
  RestartAndPress(r);
  r.Frames(30, 100);
}

void SidesOfEight(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 8);
  Crowd(w, 3, Species::Horse);
  Held(w, 1.0f, 3.0f, &SimPed::on_mount);
  w.player_mount = w.AddPed(0.0f, 0.5f, Species::Horse);
  r.Frame();
  Press(r);  // the player's horse left out
  r.Frames(30, 100);
  w.Find(w.player_mount)->exists = false;  // it gallops off
  w.player_mount = 0;
  Press(r);  // replaced
  for (int i = 0; i < 8; ++i) {
    if (SimPed* p = AFighter(w)) p->exists = i % 2 == 0 ? false : p->exists;
    if (SimPed* p = AFighter(w)) p->life = Life::Dead;
    r.Frames(25, 100);
  }
}

void SidesOfOne(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 2);
  w.player_mount = w.AddPed(0.0f, 0.5f, Species::Horse);  // never asked with humans only
  r.Frame();
  Press(r);  // at tick 0; ends at its first prune
  r.Frames(3);
  Press(r);
  r.Frames(3);
}

void PadAndModifier(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 6);
  r.Frame();
  PressWith(r, 0x11, 120, false);  // Ctrl+F9: a fight
  r.Frames(10, 300);
  PressWith(r, 0x11, 120, true);                            // Ctrl up before F9: ignored
  Press(r, 120);                                            // F9 alone: ignored
  PadPress(r, "INPUT_FRONTEND_RB", "INPUT_FRONTEND_DOWN");  // a fight
  r.Frames(10, 300);
  w.keyboard_in_use = true;
  PadPress(r, "INPUT_FRONTEND_RB", "INPUT_FRONTEND_DOWN");  // the keyboard is in use: ignored
  w.keyboard_in_use = false;
  PadPress(r, nullptr, "INPUT_FRONTEND_DOWN");              // nothing held: nothing
  PadPress(r, "INPUT_FRONTEND_LB", "INPUT_FRONTEND_DOWN");  // the wrong one held: nothing
  r.Frames(3);
}

void Toggle(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 6);
  r.Frames(40, 100);            // off from the start: the timer does not roll
  Press(r);                     // nor does the key start anything
  PressAround(r, true, false);  // F12 up in the background while off: ignored
  w.game_in_foreground = false;
  PressWith(r, 0x10, 'T', false);  // the toggle in the background: ignored
  w.game_in_foreground = true;
  PressWith(r, 0x10, 'T', false);  // on
  r.Frames(20, 100);               // the timer starts a fight
  PressWith(r, 0x10, 'T', false);  // off during the fight: supervised to its end
  for (SimPed& p : w.peds) {
    if (p.mission_entity) p.in_combat = false;
  }
  r.Frames(30, 100);
  if (SimPed* p = AFighter(w)) p->life = Life::Dead;
  r.Frames(5, 100);
}

// reload_key during a running fight: the new trigger key held across the
// reload, the pad's controls, the radius and the group size changed, the log
// switched on and then off; releases of the reload key refused.
void ReloadKey(ModuleRun& r) {
  World& w = r.game.world;
  constexpr int kCtrl = 0x11, kF9 = 120, kF11 = 122;
  Crowd(w, 8);
  r.Frame();
  w.keys_down[kF9] = 1;  // F9 goes down and up before it is the trigger: nothing
  r.Frames(2);
  w.keys_down[kF9] = 0;
  Press(r);  // F12: a fight of two
  std::ofstream("Ruckvale.ini", std::ios::binary)
      << "reload_key=Ctrl+F11\nkey_trigger=F9\npad_trigger=LB+DPAD_UP\nfight_timer=100000\n"
         "fight_radius=10\nfight_group_size=3\nlog=true\n";
  w.keys_down[kF9] = 1;  // held across the reload: its release counts
  PressWith(r, kCtrl, kF11, false);
  r.Frames(2);
  w.keys_down[kF9] = 0;
  r.Frames(2);
  Press(r);                                                 // F12 is no trigger now
  PadPress(r, "INPUT_FRONTEND_RB", "INPUT_FRONTEND_DOWN");  // the old pad: nothing
  PadPress(r, "INPUT_FRONTEND_LB", "INPUT_FRONTEND_UP");    // the new one fights
  PressWith(r, kCtrl, kF11, true);                          // Ctrl up first: refused
  w.game_in_foreground = false;
  PressWith(r, kCtrl, kF11, false);  // in the background: refused
  w.game_in_foreground = true;
  r.Frames(2);
  std::ofstream("Ruckvale.ini", std::ios::binary)
      << "reload_key=Ctrl+F11\nkey_trigger=F9\nfight_timer=100000\n";
  PressWith(r, kCtrl, kF11, false);  // the log closes
  r.Frames(3);
  Press(r, kF9);
  r.Frames(3);
}

// One key for the trigger and the toggle, a key and a pad released in one
// frame, the pad in the background, a modified key let go while the game's
// reset flag gates the passes, and the same outcome again and again.
void SharedKeys(ModuleRun& r) {
  World& w = r.game.world;
  constexpr int kCtrl = 0x11, kF9 = 120;
  Crowd(w, 6);
  r.Frame();
  PressWith(r, 0, kF9, false);      // F9 alone: a fight, the toggle says nothing
  PressWith(r, kCtrl, kF9, false);  // Ctrl+F9: off, and no fight
  PressWith(r, kCtrl, kF9, false);  // on again
  w.keys_down[kF9] = 1;             // F9 and the pad go up in the same frame: one fight
  w.controls_down = {GameHash("INPUT_FRONTEND_RB"), GameHash("INPUT_FRONTEND_DOWN")};
  r.Frames(3);
  w.keys_down[kF9] = 0;
  w.controls_down = {GameHash("INPUT_FRONTEND_RB")};
  w.controls_released = {GameHash("INPUT_FRONTEND_DOWN")};
  r.Frame();
  w.controls_released.clear();
  w.game_in_foreground = false;  // the pad in the background: ignored
  PadPress(r, "INPUT_FRONTEND_RB", "INPUT_FRONTEND_DOWN");
  w.game_in_foreground = true;
  r.Frames(3);
  KeepLog();
  ReloadWith(r,
             "key_trigger=Ctrl+F9\ntoggle_key=F9\nfight_timer=0\nfight_chance=100\n"
             "fight_group_size=9\nlog=true\n");
  w.keys_down[kCtrl] = w.keys_down[kF9] = 1;
  r.Frames(2);
  w.reset_flag = true;  // a cutscene: Ctrl+F9 let go inside it
  r.Frames(3, 500);
  w.keys_down[kCtrl] = w.keys_down[kF9] = 0;
  r.Frames(3, 500);
  w.reset_flag = false;
  r.Frames(60);  // too few every frame: told once, then counted
  Crowd(w, 4);
  r.Frames(2);
}

// The log: every reason a ped is left out, lines that do nothing, a log
// that grows past 1 MB, a log that cannot be made.
void LogReasons(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 2);
  Crowd(w, 1, Species::Dog);
  Body(w, 3.0f, 3.0f);
  StoryPed(w, 4.0f, -3.0f);
  Held(w, 3.0f, -2.0f, &SimPed::on_mount);
  Held(w, 5.0f, -3.0f, &SimPed::in_vehicle);
  Held(w, 6.0f, 2.0f, &SimPed::hogtied);
  Held(w, 2.0f, 4.0f, &SimPed::lassoed);
  w.AddPed(90.0f, 0.0f);  // listed, too far
  w.nearby.list_player = true;
  w.nearby.extra = {12345, 101};  // gone, and listed twice
  r.Frame();
  Press(r);  // too few, every reason told
  KeepLog();
  ReloadWith(r,
             "log=true\nfight_group_size=abc\nfight_chance =5\nkey_trigger=Ctrl+\n"
             "pad_trigger=RB\npad_trigger=RB+START\ntoggle_key=f1\n");
  KeepLog();
  {
    std::ofstream ini("Ruckvale.ini", std::ios::binary);
    ini << "log=true\n";
    for (int i = 0; i < 16000; ++i) ini << "unknown_key_" << i << "=1\n";
  }
  RestartAndPress(r);  // the log reaches 1 MB and says so
  KeepLog();
  // Neither moved aside nor made: the module goes on without a log.
  std::filesystem::remove("Ruckvale.log");
  std::filesystem::create_directory("Ruckvale.log");
  std::filesystem::remove("Ruckvale.log.1");
  std::filesystem::create_directories("Ruckvale.log.1/kept");
  ReloadWith(r, "log=true\n");
  w.nearby.extra.clear();
  Press(r);
  r.Frames(3);
}

void IniMistakes(ModuleRun& r) {
  Crowd(r.game.world, 4, Species::Dog);
  Crowd(r.game.world, 3);
  r.Frames(3);
  Press(r, 'K');
  r.Frames(40, 250);
}

void Scene1(ModuleRun& r) {
  RunScene(r, 1, 5000, 400);
}

void Scene2Wrap(ModuleRun& r) {
  RunScene(r, 2, 6000, 250);
}

void Scene3Big(ModuleRun& r) {
  RunScene(r, 3, 4000, 700);
}

// Unknown keys that fill the log to just short of its cap before a verdict.
constexpr int kCapFillerLines = 13020;

// The fighters the module tasked go into combat, as the game would.
void IntoCombat(World& w) {
  for (SimPed& p : w.peds) p.in_combat = p.exists && p.life == Life::Alive && p.task_target != 0;
}

// A fight of two sampled at 1 s; one falls and the fight is over before its
// 5 s sample; the winner's last look falls in a restart.
void ProbeFightOfTwo(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 2);
  r.Frame();
  Press(r);
  IntoCombat(w);
  r.Frames(32);  // the 1 s sample
  AFighter(w)->life = Life::Dying;
  r.Frames(3);         // over: the winner let go and looked at
  RestartAndPress(r);  // its last look lost; too few for a new fight
  KeepMovedLog();
  r.Frames(3);
}

// A fight of eight: one gone before its 1 s sample, one fleeing, one with
// its gun in the off hand; a gate stretch; the pad's controls; a new fight
// replaces it before its 5 s sample, and the leavers get their last look.
void ProbeFightOfEight(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 10);
  r.Frame();
  Press(r);
  IntoCombat(w);
  AFighter(w)->exists = false;
  AFighter(w)->fleeing = true;
  SimPed& f = *AFighter(w);
  std::swap(f.current_weapon, f.off_hand_weapon);
  r.Frames(32);  // the 1 s sample
  w.reset_flag = true;
  r.Frames(10);
  w.reset_flag = false;
  r.Frames(2);
  PadPress(r, "INPUT_FRONTEND_RB", "INPUT_FRONTEND_DOWN");  // a new fight, replacing the first
  IntoCombat(w);
  r.Frames(160);  // the new fight's samples and the leavers' last looks
}

// The log nearly full from an ini of unknown keys: the verdict at the end of
// a fight of two reaches the 1 MB cap in its midst.
void ProbeLogCap(ModuleRun& r) {
  World& w = r.game.world;
  {
    std::ofstream ini("Ruckvale.ini", std::ios::binary);
    ini << "probe=true\nfight_group_size=2\nfight_timer=100000\n";
    for (int i = 0; i < kCapFillerLines; ++i) ini << "unknown_key_" << i << "=1\n";
  }
  r.host.StartScript();
  Crowd(w, 2);
  r.Frames(2);
  Press(r);
  IntoCombat(w);
  r.Frames(32);
  AFighter(w)->life = Life::Dying;
  r.Frames(3);
}

// The start's notice, then the toggle's: off shown, on waiting while off
// shows, then replaced by off again, shown once the first is over.
void NoticeToggle(ModuleRun& r) {
  r.Frames(40, 100);  // the start's notice, shown for 3 s
  Press(r, 'T');      // off
  r.Frames(5, 100);
  Press(r, 'T');  // on: waits while off shows
  r.Frames(3, 100);
  Press(r, 'T');  // off again, in place of on
  r.Frames(40, 100);
}

// The HUD hidden at start holds the start's notice back until it returns;
// then the help slot hidden and a fade out hold a toggle's notice back; then
// the pause menu opens between the guard's questions and the post: the game
// refuses it (id 0).
void NoticeHidden(ModuleRun& r) {
  Screen& s = r.game.world.screen;
  s.hud_hidden = true;
  r.Frames(20, 100);
  s.hud_hidden = false;
  r.Frames(40, 100);
  s.help_slot_state = 2;
  Press(r, 'T');
  r.Frames(10, 100);
  s.help_slot_state = 0;
  s.faded_in = false;
  r.Frames(10, 100);
  s.faded_in = true;
  r.Frames(40, 100);
  r.game.before_native = [](Game& g, NativeHash hash) {
    if (hash == NativeHash::UI_FEED_POST_HELP_TEXT) g.world.screen.pause_menu = true;
  };
  Press(r, 'T');
  r.game.before_native = nullptr;
  s.pause_menu = false;
  r.Frames(10, 100);
}

// The pause menu open for 12 s from the start: the start's notice is
// dropped after 10 s. Then a toggle's notice held by a fade and a cutscene
// that gates the passes for 11 s: dropped as Ruckvale sat out.
void NoticeDropped(ModuleRun& r) {
  World& w = r.game.world;
  w.screen.pause_menu = true;
  r.Frames(120, 100);
  w.screen.pause_menu = false;
  r.Frames(10, 100);
  w.screen.faded_in = false;
  Press(r, 'T');
  w.reset_flag = true;
  r.Frames(110, 100);
  w.reset_flag = false;
  w.screen.faded_in = true;
  r.Frames(10, 100);
}

// The reload key's notice: shown; held back by a hidden HUD, then forgotten
// when the next reload switches notify off; shown again once a reload
// switches it back on.
void NoticeReload(ModuleRun& r) {
  World& w = r.game.world;
  constexpr char kNotify[] = "notify=true\nreload_key=R\nfight_timer=100000\nlog=true\n";
  r.Frames(40, 100);
  Press(r, 'R');
  r.Frames(40, 100);
  w.screen.hud_hidden = true;
  Press(r, 'R');
  r.Frames(5, 100);
  std::ofstream("Ruckvale.ini", std::ios::binary) << "reload_key=R\nfight_timer=100000\nlog=true\n";
  Press(r, 'R');
  w.screen.hud_hidden = false;
  r.Frames(20, 100);
  std::ofstream("Ruckvale.ini", std::ios::binary) << kNotify;
  Press(r, 'R');
  r.Frames(5, 100);
}

// Two townsfolk, a sheriff, a deputy and a Guarma lawman, one more lawman
// lassoed: with lawmen_fight on they are drawn as anyone; off, each that
// passes the other tests is asked its default group and left out. Then one
// of the townsfolk dies and the key is released again.
void LawmenAmongTheFolk(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 2);
  Lawman(w, 3.0f, -2.0f);
  Lawman(w, 5.0f, -3.0f);
  Lawman(w, 2.0f, 4.0f, kRelGuamaLaw);
  Lawman(w, 6.0f, 2.0f).lassoed = true;
  r.Frame();
  Press(r);
  r.Frames(10, 100);
  w.Find(w.peds[1].handle)->life = Life::Dead;  // one of the townsfolk
  Press(r);
  r.Frames(5, 100);
}

// law_steps_in=true: the first fight makes the groups and sets the law
// against both, the log says so once; lawmen stay out of the draw, and a
// second fight sets nothing again.
void LawStepsIn(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 3);
  Lawman(w, 3.0f, -2.0f);
  Lawman(w, 2.0f, 4.0f, kRelGuamaLaw);
  r.Frame();
  Press(r);
  r.Frames(10, 100);
  Press(r);
  r.Frames(5, 100);
}

// law_steps_in switched by the reload key: set at the first fight, cleared
// by a reload that turns it off, set again by one that turns it back on; a
// reload that leaves it as it was touches nothing.
void LawReloaded(ModuleRun& r) {
  World& w = r.game.world;
  Crowd(w, 3);
  Lawman(w, 3.0f, -2.0f);
  r.Frame();
  Press(r);
  r.Frames(5, 100);
  const auto reload = [&r](const char* law) {
    std::ofstream("Ruckvale.ini", std::ios::binary)
        << law << "reload_key=R\nlog=true\nfight_timer=100000\n";
    Press(r, 'R');
    r.Frames(3, 100);
  };
  reload("law_steps_in=false\n");
  reload("");
  reload("law_steps_in=true\n");
  Press(r);
  r.Frames(5, 100);
}

// name, what it covers, ini, start tick, body
constexpr Scenario kAll[] = {
    {{"idle-defaults", "no ini: start-up, idle passes, a timer miss"},
     nullptr,
     70000,
     &IdleDefaults},
    {{"key-fight", "a key release starts a fight of two; supervision and pruning follow"},
     nullptr,
     5000,
     &KeyFight},
    {{"gate", "a gated stretch with a key release inside it"},
     "fight_timer=2\nfight_chance=100\n",
     1000,
     &Gate},
    {{"timer-every-pass", "fight_timer 0 and chance 100: a fight of three every pass"},
     "fight_timer=0\nfight_chance=100\nfight_group_size=3\n",
     1000,
     &TimerEveryPass},
    {{"timer-bounds", "a huge, a negative and a zero chance"},
     "fight_timer=2147484\nfight_chance=-5\n",
     4000000000u,
     &TimerBounds},
    {{"tick-wrap", "rolls and rests across the wrap from 2^32 - 1 to 0"},
     "fight_timer=1\nfight_chance=60\nfight_group_size=3\n",
     4294967295u - 20000u,
     &TickWrap},
    {{"five-fighters", "five fighters among humans and horses, humans_only off"},
     "fight_group_size=5\nhumans_only=0\n",
     5000,
     &FiveFighters},
    {{"radius-edge", "peds at exactly the radius and just beyond"},
     "fight_radius=5\nfight_group_size=2\n",
     5000,
     &RadiusEdge},
    {{"hostile-nearby", "8-byte slots, repeated handles, counts of 1000 and -3, garbage"},
     "fight_group_size=3\n",
     5000,
     &HostileNearby},
    {{"hostile-answers", "groups left 0 or 8 bytes wide, zero hashes, garbage high bits"},
     "fight_group_size=2\n",
     5000,
     &HostileAnswers},
    {{"restart", "the game reloads: the script starts again on a new fiber"},
     "fight_timer=3\nfight_chance=100\n",
     9000,
     &Restart},
    {{"releases",
      "fighters die, vanish and are drawn again, fights replace fights in 8-byte and 4-byte "
      "lists; a restart releases nobody"},
     "fight_group_size=3\n",
     20000,
     &Releases},
    {{"recipe",
      "every weapon category; bodies and story peds in and out of the radius, drawn again "
      "and in the roster; the foreground lost and regained around presses; a restart"},
     "fight_group_size=4\nfight_timer=100000\nmelee_chance=12\nrevolver_chance=12\n"
     "pistol_chance=12\nshotgun_chance=12\nrifle_chance=12\nrepeater_chance=12\n"
     "throwables_chance=12\nbow_chance=12\n",
     5000,
     &Recipe},
    {{"sides-of-three",
      "a fight of three started at tick 0: riders, a driver, the hogtied and the lassoed in and "
      "out of the radius and in the roster; re-tasks against a dying target; a fight replaced "
      "with survivors; a fight that ends; a restart"},
     "fight_group_size=3\nfight_timer=100000\n",
     4294967296u - 132u,
     &SidesOfThree},
    {{"sides-of-eight", "eight among humans and horses with the player riding, then on foot"},
     "fight_group_size=8\nhumans_only=false\nfight_timer=100000\n",
     5000,
     &SidesOfEight},
    {{"sides-of-one", "a fight of one at tick 0: no opponent, over at its first prune"},
     "fight_group_size=1\nfight_timer=100000\n",
     4294967296u - 132u,
     &SidesOfOne},
    {{"pad-and-modifier",
      "Ctrl+F9 with Ctrl held and released early; the pad combination held and released, with "
      "the keyboard in use, with nothing or the wrong control held; the log"},
     "key_trigger=Ctrl+F9\npad_trigger=RB+DPAD_DOWN\nfight_timer=100000\nlog=true\n",
     5000,
     &PadAndModifier},
    {{"toggle",
      "start_enabled=false: no roll, no key fight; Shift+T in the background, then on, then off "
      "during a running fight, which goes on to its end; the log"},
     "toggle_key=Shift+T\nstart_enabled=false\nfight_timer=1\nfight_chance=100\nlog=true\n",
     5000,
     &Toggle},
    {{"shared-keys",
      "F9 to fight and Ctrl+F9 to toggle, a key and a pad released in one frame, the pad in "
      "the background; then Ctrl+F9 let go in a gated stretch and the same outcome every frame; "
      "the log"},
     "key_trigger=F9\ntoggle_key=Ctrl+F9\npad_trigger=RB+DPAD_DOWN\nfight_timer=100000\n"
     "log=true\n",
     5000,
     &SharedKeys},
    {{"reload-key",
      "Ctrl+F11 reads the ini again during a fight: a new trigger key held across it, a new "
      "pad, radius and size, the log switched on, then off; releases refused"},
     "reload_key=Ctrl+F11\npad_trigger=RB+DPAD_DOWN\nfight_timer=100000\n",
     5000,
     &ReloadKey},
    {{"log-reasons",
      "the log: too few peds with every reason, an ini of lines that set nothing, 1 MB "
      "reached, a log that cannot be made"},
     "log=true\nfight_group_size=4\nfight_timer=100000\n",
     5000,
     &LogReasons},
    {{"ini-mistakes", "an ini with every kind of line"},
     "\xEF\xBB\xBF"
     "fight_timer=1\r\nfight_chance =100\r\nFight_Chance=100\nfight_chance=90 %\n"
     "fight_radius=0x1.4p4 units\nfight_group_size=abc\nhumans_only=yes\nkey_trigger=K\n"
     // Read in text mode, the CR CR LF would end in "true" and keep the dogs out.
     "humans_only=true\r\r\n"
     "key_trigger=f1\nmelee_chance=-10\nbow_chance=99999999999\n\x1A"
     "fight_chance=0\n",
     100000,
     &IniMistakes},
    {{"scene-1", "the built-in scene, 5000 frames, the key every 400"}, nullptr, 600000, &Scene1},
    {{"scene-2-wrap", "a busy ini in the scene across the tick wrap, 6000 frames"},
     "fight_timer=7\nfight_chance=70\nfight_group_size=4\nhumans_only=false\nfight_radius=60\n",
     4294967295u - 90000u,
     &Scene2Wrap},
    {{"scene-3-big", "eight fighters at a time, 4000 frames"},
     "fight_timer=20\nfight_chance=100\nfight_group_size=8\nfight_radius=80\n"
     "melee_chance=10\nthrowables_chance=30\n",
     2147483000u,
     &Scene3Big},
    {{"probe-log-cap",
      "probe=true with the log nearly full: the 1 MB cap reached in the midst of a verdict"},
     "probe=true\n",
     5000,
     &ProbeLogCap},
    {{"probe-two",
      "probe=true: a fight of two sampled, over before its 5 s sample, the winner's last look "
      "lost to a restart; the verdicts"},
     "probe=true\nlog=true\nfight_group_size=2\nfight_timer=100000\n",
     5000,
     &ProbeFightOfTwo},
    {{"probe-eight",
      "probe=true: a fight of eight with one gone, one fleeing, one gun in the off hand; a gate "
      "stretch; the pad's controls; a fight replaced before its 5 s sample; last looks"},
     "probe=true\nlog=true\nfight_group_size=8\nfight_timer=100000\nmelee_chance=30\n"
     "revolver_chance=70\npad_trigger=RB+DPAD_DOWN\n",
     5000,
     &ProbeFightOfEight},
    {{"notice-toggle",
      "notify=true: the start's notice, the toggle's off, on waiting while off shows and "
      "replaced by off again; the log"},
     "notify=true\ntoggle_key=T\nfight_timer=100000\nlog=true\n",
     5000,
     &NoticeToggle},
    {{"notice-hidden",
      "notify=true: the start's notice held back by a hidden HUD, a toggle's by the hidden help "
      "slot and a fade; a post refused by the game as its pause menu opens; the log"},
     "notify=true\ntoggle_key=T\nkey_trigger=F9\nfight_timer=100000\n"
     "log=true\n",
     5000,
     &NoticeHidden},
    {{"notice-dropped",
      "notify=true: the pause menu open 12 s from the start drops the start's notice; a "
      "toggle's held by a fade, then dropped after a gated stretch of 11 s; the log"},
     "notify=true\ntoggle_key=T\nstart_enabled=false\nfight_timer=100000\nlog=true\n",
     5000,
     &NoticeDropped},
    {{"notice-reload",
      "notify=true: the reload's notice shown; one held back by a hidden HUD and forgotten as "
      "the next reload switches notify off; shown again once a reload switches it on; the log"},
     "notify=true\nreload_key=R\nfight_timer=100000\nlog=true\n",
     5000,
     &NoticeReload},
    {{"lawmen-fight",
      "lawmen_fight on (written out): townsfolk and lawmen drawn alike, no group asked; the log"},
     "lawmen_fight=true\nlog=true\nfight_group_size=2\nfight_timer=100000\n",
     5000,
     &LawmenAmongTheFolk},
    {{"lawmen-left-out",
      "lawmen_fight=false: each lawman that passes the other tests asked its default group and "
      "left out as the law, a lassoed one not asked; a fight of the townsfolk, then too few; "
      "the log"},
     "lawmen_fight=false\nlog=true\nfight_group_size=2\nfight_timer=100000\n",
     5000,
     &LawmenAmongTheFolk},
    {{"law-reloaded",
      "law_steps_in set at the first fight, cleared by a reload that turns it off, set again "
      "by one that turns it on, untouched by one that leaves it; the log"},
     "law_steps_in=true\nreload_key=R\nlog=true\nfight_timer=100000\n",
     5000,
     &LawReloaded},
    {{"law-steps-in",
      "law_steps_in=true at the first fight: the law and both brawl groups set to hate each "
      "other, once; lawmen left out; the log"},
     "law_steps_in=true\nlog=true\nfight_group_size=2\nfight_timer=100000\n",
     5000,
     &LawStepsIn},
};

}  // namespace

const std::vector<ScenarioInfo>& Scenarios() {
  static const std::vector<ScenarioInfo> infos = [] {
    std::vector<ScenarioInfo> list;
    for (const Scenario& s : kAll) list.push_back(s.info);
    return list;
  }();
  return infos;
}

std::string RunScenario(const std::string& name) {
  for (const Scenario& s : kAll) {
    if (name != s.info.name) continue;
    IniFolder folder(s.ini == nullptr ? std::nullopt : std::optional<std::string>(s.ini));
    g_kept_logs.clear();
    ModuleRun run;
    run.game.world.tick = s.start_tick;
    run.Start();
    s.body(run);
    run.host.Unload();
    return run.game.TraceText() + g_kept_logs + LogText();
  }
  throw std::invalid_argument("no scenario named '" + name + "'");
}

}  // namespace ruckvale::sim
