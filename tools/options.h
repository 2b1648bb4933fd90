// The command line of ruckvale-sim.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ruckvale::tools {

// How long the simulator holds the key down before each release: 0.3 s, or
// a whole frame at a frame rate below 4, so that one frame sees it down.
inline constexpr double kKeyHoldSeconds = 0.3;
inline double KeyHoldSeconds(int fps) {
  return fps > 0 && 1.0 / fps > kKeyHoldSeconds ? 1.0 / fps : kKeyHoldSeconds;
}

struct SimOptions {
  double seconds = 300;
  int fps = 30;
  std::vector<double> presses;  // simulated times at which the trigger key is released
  std::vector<double> pads;     // times at which the pad combination is released
  std::vector<double> toggles;  // times at which the toggle key is released
  std::vector<double> reloads;  // times at which the reload key is released
  // From the first reload time on, Ruckvale.ini holds this file.
  std::optional<std::string> ini_then;
  // Stretches in which the keyboard and mouse are in use (the pad trigger is not).
  std::vector<std::pair<double, double>> keyboard;
  std::optional<std::string> log;  // keep a copy of the module's Ruckvale.log
  // Stretches [from, to) of simulated seconds in which another program has
  // the foreground, so the game ignores the key.
  std::vector<std::pair<double, double>> background;
  // Stretches in which the game's pause menu is open, and in which its HUD is
  // hidden: the game's help guard holds notices back, and the game refuses them.
  std::vector<std::pair<double, double>> pause;
  std::vector<std::pair<double, double>> hud_hidden;
  // Stretches in which the player rides a horse that no script keeps.
  std::vector<std::pair<double, double>> riding;
  std::uint64_t seed = 1;
  bool trace = false;
  bool json = false;
  bool quiet = false;
  bool probe = false;  // the module runs with probe=true whatever the ini says
  // The simulated game reads one value otherwise: "flee", "hand", "hate",
  // "group", "layout", "melee"; empty: as the notes say.
  std::string contrary;
  bool help = false;
  bool version = false;
  std::optional<std::string> ini;  // run with this file as Ruckvale.ini
  std::optional<std::string> svg;
  std::optional<std::string> check_ini;  // the check-ini subcommand
};

// Parses argv; on a bad option or value, sets `error` and returns nullopt.
std::optional<SimOptions> ParseOptions(const std::vector<std::string>& args, std::string& error);

extern const char kUsage[];
extern const char kCheckIniUsage[];

}  // namespace ruckvale::tools
