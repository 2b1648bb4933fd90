// Runs one case of the module's per-pass work many times against the minimal
// game, for valgrind's callgrind to count the module's own instructions
// (bench/instruction_counts.sh collects only inside the module's functions
// and leaves the stand-in game's answers out).
//   ruckvale_instruction_cases CASE ITERATIONS
// CASE: idle | idle-pad | idle-reload-notify | fight8 | fight8-law-out | supervise8 | probe8
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fight/fight_state.h"
#include "fight/start_fight.h"
#include "fight/supervise.h"
#include "host/module_state.h"
#include "host/script_main.h"
#include "minimal_game.h"
#include "probe/probe.h"

using namespace ruckvale;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(
        stderr,
        "usage: %s idle|idle-pad|idle-reload-notify|fight8|fight8-law-out|supervise8|probe8 "
        "ITERATIONS\n",
        argv[0]);
    return 2;
  }
  const long n = std::strtol(argv[2], nullptr, 10);
  if (n <= 0) {
    std::fprintf(stderr, "ITERATIONS must be a positive count\n");
    return 2;
  }
  if (std::strcmp(argv[1], "idle") == 0) {
    bench::FreshModule(2);
    for (long i = 0; i < n; ++i) {
      bench::Game().tick += 33;
      Module().main_loop.last_roll_tick = bench::Game().tick;
      RunPass(1);
    }
  } else if (std::strcmp(argv[1], "idle-pad") == 0) {
    bench::FreshModule(2);
    Module().settings.pad_hold = 5;  // RB, hashed as the start-up would
    Module().settings.pad_press = 11;
    Module().main_loop.pad_hold = 0x1234u;
    Module().main_loop.pad_press = 0x5678u;
    Module().main_loop.more_inputs = true;
    for (long i = 0; i < n; ++i) {
      bench::Game().tick += 33;
      Module().main_loop.last_roll_tick = bench::Game().tick;
      RunPass(1);
    }
  } else if (std::strcmp(argv[1], "idle-reload-notify") == 0) {
    // The whole turn of the script's loop: the pass with the reload key
    // polled, and the loop's tests for the probe and a waiting notice.
    bench::FreshModule(2);
    Module().settings.reload_key = 122;  // F11
    Module().settings.notify = true;
    Module().main_loop.more_inputs = true;
    for (long i = 0; i < n; ++i) {
      bench::Game().tick += 33;
      Module().main_loop.last_roll_tick = bench::Game().tick;
      RunLoopPass(1);
    }
  } else if (std::strcmp(argv[1], "fight8") == 0) {
    bench::FreshModule(8);
    for (long i = 0; i < n; ++i) StartFight(Module().fight, bench::Context(), bench::Game().tick);
  } else if (std::strcmp(argv[1], "fight8-law-out") == 0) {
    // lawmen_fight=false: each listed ped that passes the other tests is
    // asked its default group; the minimal game's answer names no lawman.
    bench::FreshModule(8);
    Module().settings.lawmen_fight = false;
    for (long i = 0; i < n; ++i) StartFight(Module().fight, bench::Context(), bench::Game().tick);
  } else if (std::strcmp(argv[1], "supervise8") == 0) {
    bench::FreshModule(8);
    StartFight(Module().fight, bench::Context(), bench::Game().tick);
    bench::Game().in_combat = false;
    for (long i = 0; i < n; ++i) {
      bench::Game().tick += 1000;
      SuperviseFighters(Module().fight, Module().random_state, bench::Game().tick);
      PruneRoster(Module().fight);
    }
  } else if (std::strcmp(argv[1], "probe8") == 0) {
    // The probe's 1 s sample of a fight of 8, the log off.
    bench::FreshModule(8);
    ModuleState& m = Module();
    m.settings.probe = true;
    ProbeScriptStart(m, bench::Game().tick);
    const RosterCopy none{};
    ProbeFightStart(m, bench::Game().tick,
                    StartFight(m.fight, bench::Context(), bench::Game().tick), none);
    for (long i = 0; i < n; ++i) {
      bench::Game().tick += 1000;
      m.probe.start = bench::Game().tick - 1000;
      m.probe.next_sample = 0;
      m.main_loop.last_now = bench::Game().tick;
      RunProbe(m);
    }
  } else {
    std::fprintf(stderr, "unknown case %s\n", argv[1]);
    return 2;
  }
  return 0;
}
