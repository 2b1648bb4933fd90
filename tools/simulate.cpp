#include "tools/simulate.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "sim/module_run.h"
#include "sim/scene.h"
#include "tools/ini_check.h"
#include "tools/story.h"
#include "tools/svg_map.h"

#if defined(_WIN32)
#include <io.h>
#define RUCKVALE_ISATTY _isatty
#else
#include <unistd.h>
#define RUCKVALE_ISATTY isatty
#endif

namespace ruckvale::tools {

namespace {

// The system has been up ten minutes when the run starts.
constexpr std::uint32_t kStartTick = 600000;
// How long the key is held before each release.
constexpr double kKeyHoldSeconds = 0.3;

// The key is down for a moment before each release time.
bool KeyDownAt(const SimOptions& o, double t) {
  for (const double press : o.presses) {
    if (t >= press - kKeyHoldSeconds && t < press) return true;
  }
  return false;
}

class Progress {
 public:
  explicit Progress(std::ostream& err) : err_(err), tty_(RUCKVALE_ISATTY(2) != 0) {}
  void Update(double done) {
    if (!tty_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < std::chrono::seconds(2) || now - last_ < std::chrono::milliseconds(250)) {
      return;
    }
    last_ = now;
    shown_ = true;
    char buf[48];
    std::snprintf(buf, sizeof buf, "\r  simulated %3.0f %%", done * 100);
    err_ << buf << std::flush;
  }
  ~Progress() {
    if (shown_) err_ << "\r                     \r" << std::flush;
  }

 private:
  std::ostream& err_;
  bool tty_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_ = start_;
};

}  // namespace

int RunSimulation(const SimOptions& o, std::ostream& out, std::ostream& err) {
  // The module reads Ruckvale.ini from the working directory; --ini puts a
  // copy of the file into a folder of its own and runs there.
  std::optional<std::string> ini_text;
  if (o.ini) {
    std::ifstream in(*o.ini, std::ios::binary);
    if (!in) {
      err << "ruckvale-sim: cannot open the ini file '" << *o.ini << "'\n";
      return 2;
    }
    ini_text.emplace(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::optional<sim::IniFolder> folder;
  if (o.ini) folder.emplace(ini_text);

  FightSettings settings;
  const bool have_ini = ReadIniFile("Ruckvale.ini", settings);
  Story story(out, o.json, o.quiet, settings);
  if (!o.quiet && !o.json) {
    out << "Ruckvale in the built-in scene: " << o.seconds << " s at " << o.fps
        << " frames per second, seed " << o.seed << ", "
        << (o.ini      ? "ini " + *o.ini
            : have_ini ? "Ruckvale.ini of the working directory"
                       : "no Ruckvale.ini (defaults)")
        << "\n";
  }

  sim::ModuleRun run;
  sim::Game& game = run.game;
  sim::Scene scene(o.seed);
  scene.Populate(game.world);
  game.world.tick = kStartTick;
  double now = 0;
  if (o.trace) {
    game.observer = [&](const sim::Call& c) { out << "    " << c.Format() << '\n'; };
  }
  run.Start();

  const double dt = 1.0 / o.fps;
  const auto frames = static_cast<std::uint64_t>(std::llround(o.seconds * o.fps));
  Progress progress(err);
  const int key = settings.key_trigger;
  for (std::uint64_t frame = 0; frame < frames; ++frame) {
    now = static_cast<double>(frame) * dt;
    game.world.keys_down[key & 0xFF] = KeyDownAt(o, now) ? 1 : 0;
    scene.Step(game.world, static_cast<float>(dt),
               [&](const sim::SceneEvent& e) { story.OnSceneEvent(now, e, game.world); });
    game.calls.clear();
    run.host.RunFrame();
    story.OnPass(now, game.calls, 0, game);
    game.world.tick =
        kStartTick +
        static_cast<std::uint32_t>(std::llround(static_cast<double>(frame + 1) * 1000.0 / o.fps));
    if ((frame & 1023) == 0) progress.Update(now / o.seconds);
  }
  run.host.Unload();
  story.PrintSummary(o.seconds);

  if (o.svg && !WriteSvgMap(*o.svg, story.fights(), settings.fight_radius)) {
    err << "ruckvale-sim: cannot write the map '" << *o.svg << "'\n";
    return 2;
  }
  return 0;
}

}  // namespace ruckvale::tools
