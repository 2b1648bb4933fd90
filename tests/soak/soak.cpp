// Soak: millions of frames of the module in a restless world (peds dying,
// vanishing, dropping out of combat and walking in, cutscene gates, key
// presses), through a wrap of the tick count, checking over the whole trace
// that
//   - a gated pass makes exactly one native call,
//   - no fighter is re-tasked twice within 2000 ms of one fight,
//   - the roster never exceeds fight_group_size,
//   - the module never keeps more peds persistent than fight_group_size,
//   - the heap does not grow once the run has settled.
// Usage: ruckvale_soak [frames] (a positive count; default 10000000, about
// 3.8 days at 30 fps).
#include <malloc.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include <vector>

#include "fight/fight_state.h"
#include "host/module_state.h"
#include "settings/load_settings.h"
#include "sim/module_run.h"
#include "tools/pass_decoder.h"

#if defined(__SANITIZE_ADDRESS__)
#define RUCKVALE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RUCKVALE_ASAN 1
#endif
#endif
#if defined(RUCKVALE_ASAN)
// The sanitizer runtime's own interface (g++ ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using ruckvale::Ped;
using namespace ruckvale::sim;

constexpr int kGroupSize = 6;
constexpr int kPeds = 40;
constexpr int kF12 = 123;  // the default trigger key

// Bytes in use on the heap. AddressSanitizer's allocator is not malloc's, so
// mallinfo would read 0 there and the heap check would pass on nothing.
std::size_t HeapInUse() {
#if defined(RUCKVALE_ASAN)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

struct Random {
  std::uint64_t s = 0x5EED;
  std::uint32_t Next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<std::uint32_t>(s >> 16);
  }
  bool OneIn(std::uint32_t n) { return Next() % n == 0; }
};

// Reads each pass through the tools' pass decoder, as the simulator's story
// does, and checks what the module did: no guessing from call order.
struct Checker {
  explicit Checker(const ruckvale::FightSettings& settings) : decoder(settings) {}
  ruckvale::tools::PassDecoder decoder;
  std::uint64_t failures = 0, passes = 0, gated = 0, retasks = 0, fights = 0;
  std::vector<Call> pass;                    // the calls of the pass so far
  std::map<Ped, std::uint32_t> last_retask;  // within the current fight, and its start

  void Fail(const char* what, std::uint64_t frame) {
    if (++failures <= 10)
      std::fprintf(stderr, "soak: frame %llu: %s\n", static_cast<unsigned long long>(frame), what);
  }
  void OnCall(const Call& c, const Game& game) {
    pass.push_back(c);
    if (c.kind == CallKind::Hook && c.name == "scriptWait") OnPass(game, c.frame);
  }
  void OnPass(const Game& game, std::uint64_t frame) {
    ++passes;
    const ruckvale::tools::PassEvents events = decoder.Decode(0, pass, game);
    std::uint32_t now = 0;
    int natives = 0;
    for (const Call& c : pass) {
      if (c.kind == CallKind::Windows && c.name == "GetTickCount")
        now = static_cast<std::uint32_t>(c.result);
      natives += c.kind == CallKind::Native ? 1 : 0;
    }
    pass.clear();
    if (events.gated) {
      ++gated;
      if (natives != 1) Fail("a gated pass made more than one native call", frame);
      return;
    }
    for (const ruckvale::tools::FightStart& f : events.starts) {
      if (f.fighters.empty()) continue;
      ++fights;
      last_retask.clear();
      // A new fighter rests from its start, as if re-tasked then.
      for (const ruckvale::tools::FighterInfo& fi : f.fighters) last_retask[fi.ped] = now;
    }
    for (const ruckvale::tools::RetaskEvent& r : events.retasks) {
      ++retasks;
      auto it = last_retask.find(r.ped);
      if (it != last_retask.end() && static_cast<std::int32_t>(now - it->second) <= 2000) {
        Fail("a fighter was re-tasked twice within 2000 ms", frame);
      }
      last_retask[r.ped] = now;
    }
  }
};

void Stir(World& w, Random& r) {
  // Cutscenes: a few seconds every few minutes.
  if (w.reset_flag ? r.OneIn(90) : r.OneIn(9000)) w.reset_flag = !w.reset_flag;
  for (std::size_t i = 1; i < w.peds.size(); ++i) {
    SimPed& p = w.peds[i];
    if (p.tasks != p.seen_tasks) {
      p.seen_tasks = p.tasks;
      p.in_combat = true;
    }
    if (p.in_combat && r.OneIn(300)) p.in_combat = false;
    if (p.life == Life::Alive && p.in_combat && r.OneIn(2000)) p.life = Life::Dying;
    if (p.life == Life::Dying && r.OneIn(30)) p.life = Life::Dead;
    // The dead vanish after a few seconds; the living wander off after
    // minutes; as in the engine, the module's mission entities stay until it
    // releases them.
    if (p.exists && !p.mission_entity && (p.life == Life::Dead ? r.OneIn(200) : r.OneIn(6000))) {
      p.exists = false;
    }
  }
  // Gone peds leave the world and new ones walk in, so the world stays its size.
  for (std::size_t i = 1; i < w.peds.size();) {
    if (!w.peds[i].exists && r.OneIn(100)) {
      w.peds.erase(w.peds.begin() + static_cast<long>(i));
    } else {
      ++i;
    }
  }
  while (w.peds.size() < kPeds + 1) {
    const float x = static_cast<float>(r.Next() % 120) - 60.0f;
    const float y = static_cast<float>(r.Next() % 120) - 60.0f;
    w.AddPed(x, y, r.OneIn(5) ? Species::Horse : Species::Human);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t frames = 10000000ull;
  if (argc > 1) {
    char* end = nullptr;
    errno = 0;
    frames = std::strtoull(argv[1], &end, 10);
    if (argc > 2 || argv[1][0] < '1' || argv[1][0] > '9' || *end != '\0' || errno != 0) {
      std::fprintf(stderr, "usage: ruckvale_soak [FRAMES], FRAMES a positive count\n");
      return 2;
    }
  }
  const char* const ini =
      "fight_timer=3\nfight_chance=40\nfight_group_size=6\nhumans_only=0\nfight_radius=60\n";
  IniFolder folder(ini);
  ModuleRun run;
  World& w = run.game.world;
  Random random;
  ruckvale::FightSettings settings;
  ruckvale::ReadSettingsText(ini, settings);
  Checker checker(settings);
  run.game.record = false;
  run.game.observer = [&](const Call& c) { checker.OnCall(c, run.game); };
  w.tick = 0xFFFFFFFFu - 3600u * 1000u;  // the tick count wraps an hour in
  Stir(w, random);
  run.Start();
  const auto start = std::chrono::steady_clock::now();
  std::size_t settled_heap = 0, peak_heap = 0;
  bool wrapped = false;
  for (std::uint64_t f = 0; f < frames; ++f) {
    Stir(w, random);
    if (random.OneIn(900)) w.keys_down[kF12] = 1;
    if (w.keys_down[kF12] && random.OneIn(10)) w.keys_down[kF12] = 0;
    const std::uint32_t before = w.tick;
    run.Frame(33);
    wrapped = wrapped || w.tick < before;
    if (ruckvale::Module().fight.roster.size() > kGroupSize)
      checker.Fail("the roster outgrew fight_group_size", f);
    if (w.KeptPersistent() > kGroupSize) checker.Fail("more peds kept than fight_group_size", f);
    if (f == frames / 10) settled_heap = HeapInUse();
    if (f > frames / 10 && (f & 0xFFFF) == 0) peak_heap = std::max(peak_heap, HeapInUse());
  }
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // The module and the recording allocate something by then: a reading of 0
  // means the heap was not measured.
  const bool heap_ok = settled_heap > 0 && peak_heap <= settled_heap + 256 * 1024;
  if (!heap_ok) checker.Fail("the heap kept growing", frames);
  if (!wrapped && frames > 200000) checker.Fail("the tick never wrapped", frames);
  std::printf(
      "soak: %llu frames (%.2f simulated days) in %.1f s: %llu passes, %llu gated, %llu fights, "
      "%llu re-tasks; heap %zu bytes after settling, at most %zu later; %llu failures\n",
      static_cast<unsigned long long>(frames), static_cast<double>(frames) / 30.0 / 86400.0, wall,
      static_cast<unsigned long long>(checker.passes),
      static_cast<unsigned long long>(checker.gated),
      static_cast<unsigned long long>(checker.fights),
      static_cast<unsigned long long>(checker.retasks), settled_heap, peak_heap,
      static_cast<unsigned long long>(checker.failures));
  return checker.failures == 0 && checker.passes >= frames ? 0 : 1;
}
