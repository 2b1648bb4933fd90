#include "tools/options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace ruckvale::tools {

const char kUsage[] =
    "Usage: ruckvale-sim [options]        run the module in the built-in scene\n"
    "       ruckvale-sim check-ini FILE   explain what each line of an ini file does\n"
    "\n"
    "Options:\n"
    "  --seconds N      simulated time in seconds (default 300)\n"
    "  --fps N          frames per second (default 30)\n"
    "  --press T[,T...] release the trigger key at these simulated times (seconds)\n"
    "  --background A-B[,A-B...]\n"
    "                   another program has the foreground from A to B seconds:\n"
    "                   the game ignores the key released then\n"
    "  --pad T[,T...]   release the ini's pad_trigger combination at these times\n"
    "  --toggle T[,T...] release the ini's toggle_key at these times\n"
    "  --reload T[,T...] release the ini's reload_key at these times\n"
    "  --ini-then FILE  from the first --reload time on, Ruckvale.ini holds FILE\n"
    "  --keyboard A-B[,A-B...]\n"
    "                   the keyboard and mouse are in use from A to B seconds\n"
    "  --log FILE       keep a copy of the module's Ruckvale.log (with log or probe)\n"
    "  --probe          run the module with probe=true (after the ini's own lines);\n"
    "                   with the probe on, the story shows each line it writes to\n"
    "                   Ruckvale.log\n"
    "  --contrary WHAT  the game reads one value otherwise than the notes say: flee\n"
    "                   (fighters flee), hand (a gun at attach point 0 goes to the off\n"
    "                   hand), hate (the brawl groups do not attack at level 6),\n"
    "                   group (a released ped keeps its brawl group), layout\n"
    "                   (the nearby list in 4-byte positions), melee (blades keep\n"
    "                   their distance); with it or --probe, blades close in and\n"
    "                   fighters stay in combat while their target stands\n"
    "  --pause A-B[,A-B...]\n"
    "                   the game's pause menu is open from A to B seconds: notices\n"
    "                   (notify=true) wait, and are dropped after 10 s\n"
    "  --hide-hud A-B[,A-B...]\n"
    "                   the game's HUD is hidden from A to B seconds, likewise\n"
    "  --riding A-B[,A-B...]\n"
    "                   the player rides a horse of its own from A to B seconds\n"
    "  --seed N         seed of the scene (default 1)\n"
    "  --ini FILE       run with FILE as Ruckvale.ini (default: Ruckvale.ini in the\n"
    "                   working directory, if there is one)\n"
    "  --svg FILE       write a map of each fight start to FILE\n"
    "  --trace          print every hook, Windows and native call\n"
    "  --json           one JSON object per event\n"
    "  --quiet          print the summary only\n"
    "  --version        the version of the simulator and the module\n"
    "  --help           this text\n"
    "\n"
    "Exit status: 0 done; 2 bad usage, an input that cannot be read or an output that\n"
    "cannot be written (with a message on stderr). check-ini: 0 no warning; 1 one or more\n"
    "warnings; 2 as above.\n";

const char kCheckIniUsage[] =
    "Usage: ruckvale-sim check-ini FILE\n"
    "\n"
    "Explains what each line of FILE does to the module, as the module reads it,\n"
    "warns about values and lines that are legal but probably mistakes, then\n"
    "prints the values the module ends up with, what to expect in play, the\n"
    "weapon odds of one fighter and a summary line.\n"
    "\n"
    "Exit status: 0 no warning; 1 one or more warnings; 2 bad usage, FILE cannot\n"
    "be read, or the output cannot be written (with a message on stderr).\n";

namespace {

bool ParseNumber(const std::string& text, double& out) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc{} && ptr == end && std::isfinite(out);
}

template <typename Int>
bool ParseInt(const std::string& text, Int& out) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc{} && ptr == end && !text.empty();
}

// "10-20,60-75": stretches with 0 <= FROM < TO.
bool ParseStretches(const std::string& v, std::vector<std::pair<double, double>>& out) {
  for (std::size_t start = 0; start <= v.size();) {
    const std::size_t comma = std::min(v.find(',', start), v.size());
    const std::string item = v.substr(start, comma - start);
    const std::size_t dash = item.find('-');
    double from = 0, to = 0;
    if (dash == std::string::npos || !ParseNumber(item.substr(0, dash), from) ||
        !ParseNumber(item.substr(dash + 1), to) || from < 0 || to <= from) {
      return false;
    }
    out.emplace_back(from, to);
    start = comma + 1;
  }
  return true;
}

// "2,30.5": times in seconds, none negative.
bool ParseTimes(const std::string& v, std::vector<double>& out) {
  for (std::size_t start = 0; start <= v.size();) {
    const std::size_t comma = std::min(v.find(',', start), v.size());
    double t = 0;
    if (!ParseNumber(v.substr(start, comma - start), t) || t < 0) return false;
    out.push_back(t);
    start = comma + 1;
  }
  return true;
}

// "check-ini FILE" and "check-ini --help".
std::optional<SimOptions> ParseCheckIni(const std::vector<std::string>& args, std::string& error) {
  SimOptions o;
  if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h")) {
    o.help = true;
    o.check_ini = "";
    return o;
  }
  if (args.size() != 2) {
    error = "check-ini takes exactly one FILE";
    return std::nullopt;
  }
  o.check_ini = args[1];
  return o;
}

// The releases a times option gives, or nullptr for another option.
std::vector<double>* TimesOf(const std::string& a, SimOptions& o) {
  if (a == "--press") return &o.presses;
  if (a == "--pad") return &o.pads;
  if (a == "--toggle") return &o.toggles;
  if (a == "--reload") return &o.reloads;
  return nullptr;
}

// The stretches a stretch option gives, or nullptr for another option.
std::vector<std::pair<double, double>>* StretchesOf(const std::string& a, SimOptions& o) {
  if (a == "--background") return &o.background;
  if (a == "--keyboard") return &o.keyboard;
  if (a == "--riding") return &o.riding;
  if (a == "--pause") return &o.pause;
  if (a == "--hide-hud") return &o.hud_hidden;
  return nullptr;
}

// Sets the option `a` with its value `v` (empty for a flag); false, with
// `error`, for an unknown option or a bad value.
bool ApplyOption(const std::string& a, const std::string& v, SimOptions& o, std::string& error) {
  const auto bad = [&](const char* wants) {
    error = a + " wants " + wants + ", not '" + v + "'";
    return false;
  };
  if (a == "--help" || a == "-h") {
    o.help = true;
  } else if (a == "--version") {
    o.version = true;
  } else if (a == "--trace") {
    o.trace = true;
  } else if (a == "--json") {
    o.json = true;
  } else if (a == "--quiet") {
    o.quiet = true;
  } else if (a == "--probe") {
    o.probe = true;
  } else if (a == "--seconds") {
    if (!ParseNumber(v, o.seconds) || o.seconds < 0 || o.seconds > 1e7) {
      return bad("a number of seconds from 0 to 10000000");
    }
  } else if (a == "--fps") {
    if (!ParseInt(v, o.fps) || o.fps < 1 || o.fps > 1000)
      return bad("a whole number from 1 to 1000");
  } else if (a == "--seed") {
    if (!ParseInt(v, o.seed)) return bad("a whole number from 0 up");
  } else if (std::vector<double>* times = TimesOf(a, o)) {
    if (!ParseTimes(v, *times)) return bad("times in seconds separated by commas, as in 2,30.5");
  } else if (std::vector<std::pair<double, double>>* stretches = StretchesOf(a, o)) {
    if (!ParseStretches(v, *stretches)) {
      return bad("stretches FROM-TO in seconds separated by commas, as in 10-20,60-75");
    }
  } else if (a == "--log") {
    o.log = v;
  } else if (a == "--ini") {
    o.ini = v;
  } else if (a == "--ini-then") {
    o.ini_then = v;
  } else if (a == "--contrary") {
    if (v != "flee" && v != "hand" && v != "hate" && v != "group" && v != "layout" &&
        v != "melee") {
      return bad("flee, hand, hate, group, layout or melee");
    }
    o.contrary = v;
  } else if (a == "--svg") {
    o.svg = v;
  } else {
    error = "unknown option '" + a + "'";
    return false;
  }
  return true;
}

// Two releases of one key closer than its hold and a frame merge into one:
// the key never goes up between them. Says so for the first such pair.
bool CloseReleases(std::vector<double> times, const char* option, int fps, std::string& error) {
  std::sort(times.begin(), times.end());
  const double gap = KeyHoldSeconds(fps) + 1.0 / fps;
  for (std::size_t i = 1; i < times.size(); ++i) {
    if (times[i] - times[i - 1] >= gap) continue;
    char buf[200];
    std::snprintf(buf, sizeof buf,
                  "%s %g and %g are too close: at %d frames a second the key needs %g s between "
                  "two releases, or the module sees one",
                  option, times[i - 1], times[i], fps, gap);
    error = buf;
    return false;
  }
  return true;
}

// What no single option can tell.
bool CheckTogether(const SimOptions& o, std::string& error) {
  // The release is seen on the first frame at or after t, after the key has
  // been down for the hold time.
  const double last_frame = (std::round(o.seconds * o.fps) - 1) / o.fps;
  const double hold = KeyHoldSeconds(o.fps);
  if (!CloseReleases(o.presses, "--press", o.fps, error) ||
      !CloseReleases(o.pads, "--pad", o.fps, error) ||
      !CloseReleases(o.toggles, "--toggle", o.fps, error) ||
      !CloseReleases(o.reloads, "--reload", o.fps, error)) {
    return false;
  }
  if (o.ini_then && o.reloads.empty()) {
    error = "--ini-then names the ini from the first reload on: it needs --reload";
    return false;
  }
  std::vector<double> all = o.presses;
  all.insert(all.end(), o.pads.begin(), o.pads.end());
  all.insert(all.end(), o.toggles.begin(), o.toggles.end());
  all.insert(all.end(), o.reloads.begin(), o.reloads.end());
  for (const double t : all) {
    char buf[160];
    if (t < hold) {
      std::snprintf(buf, sizeof buf,
                    "--press %g is too early: the key is held %g s before its release, so a "
                    "release comes at %g s or later",
                    t, hold, hold);
      error = buf;
      return false;
    }
    if (t > last_frame) {
      std::snprintf(buf, sizeof buf,
                    "--press %g is after the last frame of the run (%g s, with --seconds %g)", t,
                    last_frame, o.seconds);
      error = buf;
      return false;
    }
  }
  if (o.json && o.trace) {
    error = "--json and --trace do not mix: a trace line is not JSON";
    return false;
  }
  return true;
}

}  // namespace

std::optional<SimOptions> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  if (!args.empty() && args[0] == "check-ini") return ParseCheckIni(args, error);
  if (std::find(args.begin(), args.end(), "check-ini") != args.end()) {
    error = "check-ini comes first and alone: ruckvale-sim check-ini FILE";
    return std::nullopt;
  }
  static const std::string kTakesValue[] = {
      "--seconds",    "--fps",    "--seed",     "--press",  "--ini",      "--svg",
      "--background", "--riding", "--pad",      "--toggle", "--keyboard", "--log",
      "--contrary",   "--reload", "--ini-then", "--pause",  "--hide-hud"};
  SimOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string v;
    if (std::find(std::begin(kTakesValue), std::end(kTakesValue), a) != std::end(kTakesValue)) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return std::nullopt;
      }
      v = args[++i];
    }
    if (!ApplyOption(a, v, o, error)) return std::nullopt;
  }
  if (!CheckTogether(o, error)) return std::nullopt;
  return o;
}

}  // namespace ruckvale::tools
