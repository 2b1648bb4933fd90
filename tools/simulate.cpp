#include "tools/simulate.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
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
#include "tools/probe_log.h"
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
      case SettingType::KeyCode:
        // The key's code as ever, and its modifier's beside it (0: none).
        json += std::to_string(v.integer) + ",\"" + std::string(kSettingKeys[i].name) +
                "_modifier\":" + std::to_string(v.modifier);
        break;
      default:
        json += std::to_string(v.integer);
    }
  }
  return json + "}}\n";
}

// Copies the module's Ruckvale.log from the folder it ran in (the working
// folder) into `copy` and puts it in place; false, with `error`, when there
// is none or it cannot be copied.
bool KeepLog(files::AtomicFile& copy, std::string& error) {
  std::error_code ec;
  if (!fs::is_regular_file("Ruckvale.log", ec)) {
    error = "the module wrote no Ruckvale.log in its folder '" +
            files::Utf8Of(fs::current_path(ec)) + "' (it cannot write there?)";
    return false;
  }
  std::FILE* in = files::OpenFile("Ruckvale.log", "rb");
  bool copied = in != nullptr;
  char chunk[65536];
  for (std::size_t got; copied && (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;) {
    copied = std::fwrite(chunk, 1, got, copy.file()) == got;
  }
  if (in != nullptr) {
    copied = copied && std::ferror(in) == 0;
    std::fclose(in);
  }
  if (!copied) {
    error = "the copy failed (disk full?)";
    return false;
  }
  return copy.Commit(error);
}

// The paths of a run, made absolute before the run changes folder.
struct RunPaths {
  std::optional<std::string> ini;       // --ini
  std::optional<std::string> svg;       // --svg
  std::optional<std::string> log;       // --log
  std::string ini_read;                 // the ini the module reads: --ini, or the working folder's
  std::optional<std::string> ini_then;  // --ini-then
  // The log the module writes in the working folder, when it runs there
  // (without --ini).
  std::optional<std::string> module_log;
};

// True when both name one file, or would once it is made.
bool SamePath(const std::string& a, const std::string& b) {
  std::error_code ec_a, ec_b;
  const fs::path canonical_a = fs::weakly_canonical(files::PathOf(a), ec_a);
  const fs::path canonical_b = fs::weakly_canonical(files::PathOf(b), ec_b);
  return SameFile(a, b) || (!ec_a && !ec_b && canonical_a == canonical_b);
}

// Why a file the run writes for the user (`what`, named `given`, at `path`)
// would destroy something of the run's, or nullopt.
std::optional<std::string> OutputProblem(const std::string& what, const std::string& given,
                                         const std::string& path, const RunPaths& paths) {
  const std::string named = what + " '" + given + "'";
  if (SameFile(path, paths.ini_read)) return named + " would overwrite the ini the run reads";
  if (paths.ini_then && SameFile(path, *paths.ini_then)) {
    return named + " would overwrite the ini the run reads from its first reload";
  }
  // --quiet still prints the summary there.
  if (IsStandardOutput(path)) return named + " would overwrite the story on standard output";
  if (paths.module_log && SamePath(path, *paths.module_log)) {
    return named + " is the Ruckvale.log the module itself writes in this run's folder";
  }
  return std::nullopt;
}

// Resolves the user's paths; the reason the run cannot use them, or nullopt.
std::optional<std::string> ResolvePaths(const SimOptions& o, RunPaths& paths) {
  if (o.ini) paths.ini = Absolute(*o.ini);
  if (o.svg) paths.svg = Absolute(*o.svg);
  if (o.log) paths.log = Absolute(*o.log);
  paths.ini_read = paths.ini ? *paths.ini : Absolute("Ruckvale.ini");
  if (paths.ini) {
    if (std::optional<std::string> problem = IniFileProblem(*paths.ini)) return problem;
  }
  if (o.ini_then) {
    paths.ini_then = Absolute(*o.ini_then);
    if (std::optional<std::string> problem = IniFileProblem(*paths.ini_then)) return problem;
  }
  if (!paths.ini) paths.module_log = Absolute("Ruckvale.log");
  if (paths.svg) {
    if (std::optional<std::string> problem = OutputProblem("the map", *o.svg, *paths.svg, paths)) {
      return problem;
    }
  }
  if (paths.log) {
    if (std::optional<std::string> problem =
            OutputProblem("the log's copy", *o.log, *paths.log, paths)) {
      return problem;
    }
    if (paths.svg && SamePath(*paths.svg, *paths.log)) return "--svg and --log name one file";
  }
  return std::nullopt;
}

// The releases the user asked for that the ini binds to nothing a keyboard or
// pad sends: one line for each option given in vain.
std::vector<std::string> ReleasesInVain(const SimOptions& o, const FightSettings& s) {
  const std::string toggle =
      s.toggle_key < 0 ? "the ini sets no toggle_key"
                       : "toggle_key " + std::to_string(s.toggle_key) + " is no key on a keyboard";
  const struct {
    bool given;
    bool bound;
    std::string why;
    const char* releases;
  } options[] = {
      {!o.presses.empty(), KeyOnKeyboard(s.key_trigger),
       "key_trigger " + std::to_string(s.key_trigger) + " is no key on a keyboard", "presses"},
      {!o.pads.empty(), s.HasPadTrigger(), "the ini sets no pad_trigger", "--pad releases"},
      {!o.toggles.empty(), s.toggle_key >= 0 && KeyOnKeyboard(s.toggle_key), toggle,
       "--toggle releases"},
      {!o.reloads.empty(), s.reload_key >= 0 && KeyOnKeyboard(s.reload_key),
       s.reload_key < 0 ? "the ini sets no reload_key"
                        : "reload_key " + std::to_string(s.reload_key) + " is no key on a keyboard",
       "--reload releases"},
  };
  std::vector<std::string> lines;
  for (const auto& option : options) {
    if (option.given && !option.bound) {
      lines.push_back(option.why + ": the " + option.releases + " do nothing");
    }
  }
  return lines;
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
    for (const std::string& line : ReleasesInVain(o, settings)) out << line << '\n';
  }
}

// The keys, modifiers and gamepad controls the user's times hold down, and
// whether the keyboard is in use, frame by frame.
class Inputs {
 public:
  Inputs(const SimOptions& o, const FightSettings& s) : o_(o), hold_time_(KeyHoldSeconds(o.fps)) {
    Bind(s);
  }
  // The keys and controls the settings name, as read at start or at a reload.
  void Bind(const FightSettings& s) {
    // A code no keyboard sends is never down, however often the user presses.
    key_ = KeyOnKeyboard(s.key_trigger) ? s.key_trigger : -1;
    key_modifier_ = s.key_trigger_modifier;
    toggle_ = s.toggle_key >= 0 && KeyOnKeyboard(s.toggle_key) ? s.toggle_key : -1;
    toggle_modifier_ = s.toggle_key_modifier;
    reload_ = s.reload_key >= 0 && KeyOnKeyboard(s.reload_key) ? s.reload_key : -1;
    reload_modifier_ = s.reload_key_modifier;
    hold_ = press_ = 0;
    if (s.HasPadTrigger()) {
      hold_ = sim::GameHash(kPadControls[s.pad_hold].input);
      press_ = sim::GameHash(kPadControls[s.pad_press].input);
    }
  }
  void Set(sim::World& w, double t) {
    std::fill(std::begin(w.keys_down), std::end(w.keys_down), std::uint8_t{0});
    Hold(w, key_, key_modifier_, o_.presses, t);
    Hold(w, toggle_, toggle_modifier_, o_.toggles, t);
    Hold(w, reload_, reload_modifier_, o_.reloads, t);
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
  int reload_ = -1, reload_modifier_ = 0;
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
// --probe and --contrary: blades close in, unless the game is read
// contrarily there, and fighters stay in combat while their target stands;
// the one value the simulated game reads otherwise.
void SetContrary(const SimOptions& o, sim::World& w) {
  const std::string& what = o.contrary;
  w.blades_close_in = (o.probe || !what.empty()) && what != "melee";
  w.steady_fighters = o.probe || !what.empty();
  if (what == "hate") w.contrary = sim::Contrary::Hate;
  if (what == "melee") w.contrary = sim::Contrary::Melee;
  if (what == "flee") w.contrary = sim::Contrary::Flee;
  if (what == "hand") w.contrary = sim::Contrary::Hand;
  if (what == "group") w.contrary = sim::Contrary::Group;
  if (what == "layout") {
    w.contrary = sim::Contrary::Layout;
    w.nearby.eight_byte_slots = false;
  }
}

// --ini-then: the ini the run's folder holds from the first reload on, and
// what the module reads from it.
struct IniThen {
  std::string text;
  FightSettings settings;
  double from = 0;
  std::function<void(const std::string&)> write;  // puts the text in the run's folder
  bool written = false;
};

// After a pass that reloaded: the settings the module read, which the
// decoder, the inputs and the story follow from now on.
void FollowReload(const std::optional<IniThen>& then, const FightSettings& first,
                  FightSettings& current, PassDecoder& decoder, PassEvents& events) {
  const FightSettings& next = then && then->written ? then->settings : first;
  events.reload_changes = ChangedSettings(current, next);
  decoder.Reload(next);
  current = next;
}

std::optional<std::int32_t> RunFrames(const SimOptions& o, const FightSettings& settings,
                                      std::optional<IniThen>& then, RunOutputs& outputs,
                                      std::ostream& out, std::ostream& err) {
  FightSettings current = settings;
  PassDecoder decoder(settings);
  StoryRecorder recorder;
  std::vector<StoryEntry> entries;
  // The probe's lines, read from the module's log (in the run's folder) after
  // each pass while the probe is on.
  std::optional<ProbeLogReader> probe_log;
  if (settings.probe) probe_log.emplace("Ruckvale.log");
  std::vector<std::string> probe_lines;
  sim::ModuleRun run;
  sim::Game& game = run.game;
  // The street has its sheriff and deputies, who step in when the law
  // hates the brawlers.
  sim::Scene scene(o.seed, true);
  scene.Populate(game.world);
  if (!o.riding.empty()) {
    // The player's horse waits by the player until it is ridden.
    game.world.players_horse = game.world.AddPed(1.5f, 0.0f, sim::Species::Horse);
  }
  SetContrary(o, game.world);
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
    if (then && !then->written && now >= then->from) {
      then->write(then->text);
      then->written = true;
    }
    inputs.Set(game.world, now);
    const bool foreground = !InStretch(o.background, now);
    game.world.player_mount = InStretch(o.riding, now) ? game.world.players_horse : 0;
    game.world.screen.pause_menu = InStretch(o.pause, now);
    game.world.screen.hud_hidden = InStretch(o.hud_hidden, now);
    if (foreground != game.world.game_in_foreground) {
      StoryRecorder::OnForeground(now, foreground, entries);
    }
    game.world.game_in_foreground = foreground;
    scene.Step(game.world, static_cast<float>(dt), [&](const sim::SceneEvent& e) {
      recorder.OnSceneEvent(now, e, game.world, decoder.roster(), entries);
    });
    game.calls.clear();
    run.host.RunFrame();
    PassEvents events = decoder.Decode(now, game.calls, game);
    strange_key = events.strange_key;
    if (strange_key) break;
    if (events.reloaded) {
      FollowReload(then, settings, current, decoder, events);
      inputs.Bind(current);
      outputs.fight_group_size = current.fight_group_size;
    }
    recorder.OnPass(now, events, entries);
    if (probe_log) {
      probe_lines.clear();
      probe_log->Read(probe_lines);
      StoryRecorder::OnProbeLines(now, probe_lines, entries);
    }
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

namespace {

// The files a run writes for the user, each made before the run so that a
// path that cannot be written is reported now and not at the end.
struct UserOutputs {
  SvgMapWriter map;
  files::AtomicFile log;

  // False, with `error`, when one cannot be made.
  bool Open(const RunPaths& paths, const FightSettings& settings, std::string& error) {
    if (paths.svg && !map.Open(*paths.svg, settings.fight_radius, error)) return false;
    if (!paths.log) return true;
    if (!settings.log && !settings.probe) {
      error =
          "--log keeps the module's Ruckvale.log, but the ini does not set log=true: the "
          "module writes none";
      return false;
    }
    return log.Open(*paths.log, error);
  }
  // Puts each in place after the run; the exit code, with a line on `err`
  // for each that failed.
  int Finish(const SimOptions& o, const RunPaths& paths, std::ostream& err) {
    int code = 0;
    std::string error;
    if (paths.svg && (map.failed() || !map.Finish(error))) {
      err << "ruckvale-sim: "
          << (map.failed() ? "cannot write the map '" + *o.svg + "' (disk full?)" : error) << '\n';
      code = 2;
    }
    if (paths.log && !KeepLog(log, error)) {
      err << "ruckvale-sim: cannot keep the module's Ruckvale.log as '" << *o.log << "': " << error
          << '\n';
      code = 2;
    }
    return code;
  }
};

// The ini's text, with probe=true after its own lines for --probe.
std::string IniText(const std::string& path, bool probe) {
  std::ifstream in(files::PathOf(path), std::ios::binary);
  std::stringstream text;
  if (in) text << in.rdbuf();
  return probe ? text.str() + "\nprobe=true\n" : text.str();
}

// The module reads Ruckvale.ini from the working directory; --ini runs it in
// a folder of its own that holds a link to the user's file, and --probe or
// --ini-then in one that holds a copy of it (with probe=true added for
// --probe), which --ini-then replaces. Registered for removal while it lives.
class RunFolder {
 public:
  // Throws what IniFolder throws.
  RunFolder(const std::optional<std::string>& ini, const std::optional<std::string>& copy_text) {
    if (copy_text) {
      folder_.emplace(copy_text);
    } else if (ini) {
      folder_.emplace(sim::IniFolder::LinkTo{*ini});
    } else {
      return;
    }
    files::RegisterTemp(folder_->file(), false);
    files::RegisterTemp(folder_->folder(), true);
  }
  ~RunFolder() {
    if (!folder_) return;
    files::ForgetTemp(folder_->file());
    files::ForgetTemp(folder_->folder());
  }
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;
  // Replaces the copy's text; only a folder made with one holds a copy.
  void Write(const std::string& text) { folder_->Write(text); }

 private:
  std::optional<sim::IniFolder> folder_;
};

// --ini-then: what the module reads from `path`, and its text (with
// probe=true for --probe); false when a line is too long for memory.
bool ReadIniThen(const SimOptions& o, const std::string& path, IniThen& then) {
  if (ReadIniFile(path, then.settings) == ReadEnd::OutOfMemory) return false;
  if (o.probe) then.settings.probe = true;
  then.text = IniText(path, o.probe);
  then.from = *std::min_element(o.reloads.begin(), o.reloads.end());
  return true;
}

std::string StrangeKeyText(std::int32_t key) {
  char code[8];
  std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(key) & 0xFFu);
  return std::string("the module polls key ") + code +
         ", which the run did not read from the ini: the module read it otherwise (a line too "
         "long for the memory left?), and the story would not be its own";
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
  if (read == ReadEnd::OutOfMemory) {
    return fail("'" + paths.ini_read +
                "' has a line too long for the memory this run has: what the module reads of "
                "it cannot be shown");
  }
  if (o.probe) settings.probe = true;
  std::optional<IniThen> then;
  if (paths.ini_then && !ReadIniThen(o, *paths.ini_then, then.emplace())) {
    return fail("'" + *paths.ini_then + "' has a line too long for the memory this run has");
  }
  files::CleanUpWhenCutShort();
  UserOutputs kept;
  std::string error;
  // A log the ini of a reload switches on is a log the module writes.
  FightSettings writes = settings;
  writes.log = settings.log || (then && (then->settings.log || then->settings.probe));
  if (!kept.Open(paths, writes, error)) return fail(error);
  std::optional<RunFolder> folder;
  try {
    const bool copy = o.probe || then.has_value();
    folder.emplace(paths.ini,
                   copy ? std::optional(IniText(paths.ini_read, o.probe)) : std::nullopt);
  } catch (const std::exception& e) {
    return fail("cannot hand '" + (o.ini ? *o.ini : paths.ini_read) +
                "' to the module: " + e.what());
  }
  RunOutputs outputs;
  outputs.story = o.quiet ? nullptr : &out;
  outputs.json = o.json;
  outputs.fight_group_size = settings.fight_group_size;
  outputs.map = paths.svg ? &kept.map : nullptr;
  PrintHeader(o, settings, read.has_value(), out);
  if (o.json || o.quiet) {
    for (const std::string& line : ReleasesInVain(o, settings)) {
      err << "ruckvale-sim: " << line << '\n';
    }
  }
  if (then) then->write = [&folder](const std::string& text) { folder->Write(text); };
  if (const std::optional<std::int32_t> key = RunFrames(o, settings, then, outputs, out, err)) {
    return fail(StrangeKeyText(*key));
  }
  if (files::StopRequested()) return fail("stopped before the end of the run; nothing was kept");
  if (out) WriteSummary(out, outputs.counts, settings, o.seconds, o.json, o.quiet);
  out.flush();
  if (!out) return fail("cannot write the output (closed, or the disk is full)");
  return kept.Finish(o, paths, err);
}

}  // namespace ruckvale::tools
