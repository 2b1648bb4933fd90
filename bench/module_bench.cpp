// The module's own cost per pass: native calls, heap allocations and time,
// against a minimal game (minimal_game.cpp) so the game's cost is not counted.
//   build/bench/bench/ruckvale_bench
#include <benchmark/benchmark.h>

#include "fight/fight_state.h"
#include "fight/start_fight.h"
#include "fight/supervise.h"
#include "fight/weapons.h"
#include "host/module_state.h"
#include "host/random.h"
#include "host/script_main.h"
#include "minimal_game.h"
#include "settings/fight_settings.h"

namespace {

using namespace ruckvale;

// Reports natives, allocations and (by the framework) time per iteration.
template <typename Body>
void Measure(benchmark::State& state, Body body) {
  const std::uint64_t natives = bench::Game().natives;
  const std::uint64_t allocations = bench::AllocationCount();
  for (auto _ : state) body();
  const auto n = static_cast<double>(state.iterations());
  state.counters["natives"] = static_cast<double>(bench::Game().natives - natives) / n;
  state.counters["allocs"] = static_cast<double>(bench::AllocationCount() - allocations) / n;
}

void GatedPass(benchmark::State& state) {
  bench::FreshModule(2);
  bench::Game().gated = true;
  Measure(state, [] { RunPass(1); });
}
BENCHMARK(GatedPass);

void IdlePass(benchmark::State& state) {
  bench::FreshModule(2);
  Measure(state, [] {
    bench::Game().tick += 33;
    Module().main_loop.last_roll_tick = bench::Game().tick;
    RunPass(1);
  });
}
BENCHMARK(IdlePass);

// Supervising n fighters, half of them idle and due for a re-task.
void Supervision(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  bench::FreshModule(n);
  StartFight(Module().fight, bench::Context(), bench::Game().tick);
  bench::Game().in_combat = false;
  Measure(state, [] {
    bench::Game().tick += 1000;
    SuperviseFighters(Module().fight, Module().random_state, bench::Game().tick);
    PruneRoster(Module().fight);
  });
}
BENCHMARK(Supervision)->Arg(2)->Arg(8)->Arg(32);

// A fight start of n fighters among 32 nearby peds, after one of that size has run.
void FightStart(benchmark::State& state) {
  bench::FreshModule(static_cast<int>(state.range(0)));
  StartFight(Module().fight, bench::Context(), bench::Game().tick);
  Measure(state, [] { StartFight(Module().fight, bench::Context(), bench::Game().tick); });
}
BENCHMARK(FightStart)->Arg(2)->Arg(8)->Arg(32);

}  // namespace

BENCHMARK_MAIN();
