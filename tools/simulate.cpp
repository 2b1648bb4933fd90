#include "tools/simulate.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "files/run_files.h"
#include "files/user_files.h"
#include "settings/ini_line.h"
#include "settings/ini_line_text.h"
#include "settings/key_names.h"
#include "sim/game_hash.h"
#include "sim/module_run.h"
#include "sim/scene.h"
#include "tools/ini_check.h"
#include "tools/json.h"
#include "tools/pass_decoder.h"
#include "tools/story_lines.h"
#include "tools/story_record.h"
#include "tools/story_tally.h"
#include "tools/svg_map.h"

#if defined(_WIN32)
#include <io.h>
#define RUCKVALE_ISATTY _isatty
#else
#include <sys/stat.h>
#include <unistd.h>
#define RUCKVALE_ISATTY isatty
#endif

namespace ruckvale::tools {

namespace {

// The system has been up ten minutes when the run starts.
constexpr std::uint32_t kStartTick = 600000;

// A key or control is down for a moment before each release time; a
// modifier goes up `after` seconds later than its key.
bool DownAt(const std::vector<double>& releases, double t, double hold, double after = 0) {
  for (const double release : releases) {
    if (t >= release - hold && t < release + after) return true;
  }
  return false;
}

bool InStretch(const std::vector<std::pair<double, double>>& stretches, double t) {
  for (const auto& [from, to] : stretches) {
    if (t >= from && t < to) return true;
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

namespace fs = std::filesystem;

// A path the user gave (UTF-8), made absolute against the folder the tool
// started in.
std::string Absolute(const std::string& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(files::PathOf(path), ec);
  return ec ? path : files::Utf8Of(absolute);
}

// True when both name one existing file.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(files::PathOf(a), files::PathOf(b), ec) && !ec;
}

// True when `path` names the file standard output writes to (as /dev/stdout
// does when the output goes to a file): the map would replace the story.
bool IsStandardOutput(const std::string& path) {
#if defined(_WIN32)
  (void)path;
  return false;
#else
  struct stat out {};
  struct stat file {};
  return fstat(1, &out) == 0 && stat(files::PathOf(path).c_str(), &file) == 0 &&
         out.st_dev == file.st_dev && out.st_ino == file.st_ino;
#endif
}

// A path as the header prints it: control bytes (a newline in a file name)
// escaped, so that the header stays one line.
std::string PrintedPath(const std::string& path) {
  std::string out;
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c != 0x7F) {
      out += ch;
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out;
}

// `ini_used`: the file the module read, if it read one.
std::string JsonSettings(const SimOptions& o, const FightSettings& s,
                         const std::optional<std::string>& ini_used) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.10g", o.seconds);
  std::string json = "{\"event\":\"run\",\"seed\":" + std::to_string(o.seed) +
                     ",\"seconds\":" + seconds + ",\"fps\":" + std::to_string(o.fps) + ",\"ini\":";
  json += ini_used ? JsonString(*ini_used) : std::string("null");
  json += ",\"settings\":{";
  for (int i = 0; i < kSettingKeyCount; ++i) {
    const auto key = static_cast<SettingKey>(i);
    const SettingValue v = GetSetting(s, key);
    json += std::string(i ? "," : "") + "\"" + std::string(kSettingKeys[i].name) + "\":";
    switch (kSettingKeys[i].type) {
      case SettingType::Float:
        json += JsonNumber(static_cast<double>(v.real));
        break;
      case SettingType::Boolean:
        json += v.boolean ? "true" : "false";
        break;
      case SettingType::PadCombo:
        json += JsonString(SettingValueText(key, v));
        break;
      default:
        json += std::to_string(v.integer);
    }
  }
  return json + "}}\n";
}

// Copies the module's Ruckvale.log from the folder it ran in (the working
// folder) to `to`; false when there is none or it cannot be copied.
bool CopyLog(const std::string& to) {
  std::error_code ec;
  if (!fs::is_regular_file("Ruckvale.log", ec)) return false;
  fs::copy_file("Ruckvale.log", files::PathOf(to), fs::copy_options::overwrite_existing, ec);
  return !ec;
}

// The paths of a run, made absolute before the run changes folder.
struct RunPaths {
  std::optional<std::string> ini;  // --ini
  std::optional<std::string> svg;  // --svg
  std::optional<std::string> log;  // --log
  std::string ini_read;            // the ini the module reads: --ini, or the working folder's
};

// Resolves the user's paths; the reason the run cannot use them, or nullopt.
std::optional<std::string> ResolvePaths(const SimOptions& o, RunPaths& paths) {
  if (o.ini) paths.ini = Absolute(*o.ini);
  if (o.svg) paths.svg = Absolute(*o.svg);
  if (o.log) paths.log = Absolute(*o.log);
  paths.ini_read = paths.ini ? *paths.ini : Absolute("Ruckvale.ini");
  if (paths.ini) {
    if (std::optional<std::string> problem = IniFileProblem(*paths.ini)) return problem;
  }
  if (paths.svg && SameFile(*paths.svg, paths.ini_read)) {
    return "the map '" + *o.svg + "' would overwrite the ini the run reads";
  }
  // --quiet still prints the summary there.
  if (paths.svg && IsStandardOutput(*paths.svg)) {
    return "the map '" + *o.svg + "' would overwrite the story on standard output";
  }
  return std::nullopt;
}

void PrintHeader(const SimOptions& o, const FightSettings& settings, bool have_ini,
                 std::ostream& out) {
  if (o.json) {
    const std::optional<std::string> used = o.ini      ? o.ini
                                            : have_ini ? std::optional<std::string>("Ruckvale.ini")
                                                       : std::nullopt;
    out << JsonSettings(o, settings, used);
  } else if (!o.quiet) {
    out << "Ruckvale in the built-in scene: " << o.seconds << " s at " << o.fps
        << " frames per second, seed " << o.seed << ", "
        << (o.ini      ? "ini " + PrintedPath(*o.ini)
            : have_ini ? "Ruckvale.ini of the working directory"
                       : "no Ruckvale.ini (defaults)")
        << "\n";
    if (!o.presses.empty() && !KeyOnKeyboard(settings.key_trigger)) {
      out << "key_trigger " << settings.key_trigger
          << " is no key on a keyboard: the presses do nothing\n";
    }
  }
}

// The keys, modifiers and gamepad controls the user's times hold down, and
// whether the keyboard is in use, frame by frame.
class Inputs {
 public:
  Inputs(const SimOptions& o, const FightSettings& s) : o_(o), hold_time_(KeyHoldSeconds(o.fps)) {
    // A code no keyboard sends is never down, however often the user presses.
    key_ = KeyOnKeyboard(s.key_trigger) ? s.key_trigger : -1;
    key_modifier_ = s.key_trigger_modifier;
    toggle_ = s.toggle_key >= 0 && KeyOnKeyboard(s.toggle_key) ? s.toggle_key : -1;
    toggle_modifier_ = s.toggle_key_modifier;
    if (s.HasPadTrigger()) {
      hold_ = sim::GameHash(kPadControls[s.pad_hold].input);
      press_ = sim::GameHash(kPadControls[s.pad_press].input);
    }
  }
  void Set(sim::World& w, double t) {
    for (const int code : {key_, key_modifier_, toggle_, toggle_modifier_}) {
      if (code > 0 && code < 256) w.keys_down[code] = 0;
    }
    Hold(w, key_, key_modifier_, o_.presses, t);
    Hold(w, toggle_, toggle_modifier_, o_.toggles, t);
    w.keyboard_in_use = InStretch(o_.keyboard, t);
    w.controls_down.clear();
    w.controls_released.clear();
    if (hold_ == 0) return;
    const bool down = DownAt(o_.pads, t, hold_time_);
    if (down) {
      w.controls_down = {hold_, press_};
    } else if (pad_was_down_) {
      // The hold control stays down over the frame that releases the other.
      w.controls_down = {hold_};
      w.controls_released = {press_};
    }
    pad_was_down_ = down;
  }

 private:
  // A key down before each of its release times, its modifier (if any) from
  // then until a moment after.
  void Hold(sim::World& w, int code, int modifier, const std::vector<double>& releases,
            double t) const {
    if (code > 0 && code < 256 && DownAt(releases, t, hold_time_)) w.keys_down[code] = 1;
    if (modifier != 0 && DownAt(releases, t, hold_time_, 0.1)) w.keys_down[modifier] = 1;
  }

  const SimOptions& o_;
  double hold_time_;
  int key_ = -1, key_modifier_ = 0, toggle_ = -1, toggle_modifier_ = 0;
  Hash hold_ = 0, press_ = 0;
  bool pad_was_down_ = false;
};

// The consumers of a run's record: the story (text or JSON, none under
// --quiet), the summary's counts and the map. The story's error is its
// stream's, the map's its own; the run reports each.
struct RunOutputs {
  std::ostream* story = nullptr;
  bool json = false;
  std::int32_t fight_group_size = 0;
  StoryCounts counts;
  SvgMapWriter* map = nullptr;

  void Take(const std::vector<StoryEntry>& entries) {
    for (const StoryEntry& e : entries) {
      if (story != nullptr) {
        *story << (json ? StoryJsonLine(e) : StoryTextLine(e, fight_group_size));
      }
      CountEntry(counts, e);
      if (map != nullptr && e.kind == StoryEntry::Fight) map->Add(*e.fight);
    }
  }
  bool failed() const { return (story != nullptr && !*story) || (map != nullptr && map->failed()); }
};

// The run itself: the scene and the module frame by frame. The frame loop
// decodes each pass once and records the frame; every output takes the same
// entries. Stops early when an output has failed, or when the module polls a
// key the run did not read from the ini (returned): then the module read the
// ini otherwise, and nothing the run tells would be true.
std::optional<std::int32_t> RunFrames(const SimOptions& o, const FightSettings& settings,
                                      RunOutputs& outputs, std::ostream& out, std::ostream& err) {
  PassDecoder decoder(settings);
  StoryRecorder recorder;
  std::vector<StoryEntry> entries;
  sim::ModuleRun run;
  sim::Game& game = run.game;
  sim::Scene scene(o.seed);
  scene.Populate(game.world);
  if (!o.riding.empty()) {
    // The player's horse waits by the player until it is ridden.
    game.world.players_horse = game.world.AddPed(1.5f, 0.0f, sim::Species::Horse);
  }
  game.world.tick = kStartTick;
  if (o.trace) {
    game.observer = [&](const sim::Call& c) { out << "    " << c.Format() << '\n'; };
  }
  run.Start();
  const double dt = 1.0 / o.fps;
  const auto frames = static_cast<std::uint64_t>(std::llround(o.seconds * o.fps));
  Progress progress(err);
  Inputs inputs(o, settings);
  std::optional<std::int32_t> strange_key;
  for (std::uint64_t frame = 0; frame < frames; ++frame) {
    const double now = static_cast<double>(frame) * dt;
    entries.clear();
    inputs.Set(game.world, now);
    const bool foreground = !InStretch(o.background, now);
    game.world.player_mount = InStretch(o.riding, now) ? game.world.players_horse : 0;
    if (foreground != game.world.game_in_foreground) {
      StoryRecorder::OnForeground(now, foreground, entries);
    }
    game.world.game_in_foreground = foreground;
    scene.Step(game.world, static_cast<float>(dt), [&](const sim::SceneEvent& e) {
      recorder.OnSceneEvent(now, e, game.world, decoder.roster(), entries);
    });
    game.calls.clear();
    run.host.RunFrame();
    const PassEvents events = decoder.Decode(now, game.calls, game);
    strange_key = events.strange_key;
    if (strange_key) break;
    recorder.OnPass(now, events, entries);
    if (!events.gated) CountPass(outputs.counts, events.released, game);
    outputs.Take(entries);
    game.world.tick =
        kStartTick +
        static_cast<std::uint32_t>(std::llround(static_cast<double>(frame + 1) * 1000.0 / o.fps));
    if (outputs.failed() || !out) break;  // no use going on
    if (files::StopRequested()) break;
    if ((frame & 1023) == 0) progress.Update(now / o.seconds);
  }
  run.host.Unload();
  return strange_key;
}

}  // namespace

int RunSimulation(const SimOptions& o, std::ostream& out, std::ostream& err) {
  const auto fail = [&err](const std::string& what) {
    err << "ruckvale-sim: " << what << '\n';
    return 2;
  };
  RunPaths paths;
  if (const std::optional<std::string> problem = ResolvePaths(o, paths)) return fail(*problem);
  FightSettings settings;
  const std::optional<ReadEnd> read = ReadIniFile(paths.ini_read, settings);
  const bool have_ini = read.has_value();
  if (read == ReadEnd::OutOfMemory) {
    return fail("'" + paths.ini_read +
                "' has a line too long for the memory this run has: what the module reads of "
                "it cannot be shown");
  }
  // The map's file is made before the run, so a path that cannot be written
  // is reported now and not at the end.
  files::CleanUpWhenCutShort();
  SvgMapWriter map;
  std::string error;
  if (paths.svg && !map.Open(*paths.svg, settings.fight_radius, error)) return fail(error);

  // The module reads Ruckvale.ini from the working directory; --ini runs it
  // in a folder of its own that holds a link to the user's file.
  std::optional<sim::IniFolder> folder;
  if (paths.ini) {
    try {
      folder.emplace(sim::IniFolder::LinkTo{*paths.ini});
    } catch (const std::exception& e) {
      return fail("cannot hand '" + *o.ini + "' to the module: " + e.what());
    }
    files::RegisterTemp(folder->file(), false);
    files::RegisterTemp(folder->folder(), true);
  }
  struct Unregister {
    const std::optional<sim::IniFolder>& folder;
    ~Unregister() {
      if (!folder) return;
      files::ForgetTemp(folder->file());
      files::ForgetTemp(folder->folder());
    }
  } unregister{folder};

  RunOutputs outputs;
  outputs.story = o.quiet ? nullptr : &out;
  outputs.json = o.json;
  outputs.fight_group_size = settings.fight_group_size;
  outputs.map = paths.svg ? &map : nullptr;
  PrintHeader(o, settings, have_ini, out);
  if (const std::optional<std::int32_t> key = RunFrames(o, settings, outputs, out, err)) {
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(*key) & 0xFFu);
    return fail(std::string("the module polls key ") + code +
                ", which the run did not read from the ini: the module read it otherwise (a "
                "line too long for the memory left?), and the story would not be its own");
  }
  if (files::StopRequested()) return fail("stopped before the end of the run; nothing was kept");
  if (paths.log && !CopyLog(*paths.log)) {
    return fail("cannot keep the module's Ruckvale.log as '" + *o.log +
                "' (no log was written: set log=true in the ini)");
  }
  if (out) WriteSummary(out, outputs.counts, settings, o.seconds, o.json, o.quiet);
  out.flush();
  if (!out) return fail("cannot write the output (closed, or the disk is full)");
  if (paths.svg && map.failed()) return fail("cannot write the map '" + *o.svg + "' (disk full?)");
  if (paths.svg && !map.Finish(error)) return fail(error);
  return 0;
}

}  // namespace ruckvale::tools
