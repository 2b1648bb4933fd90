// A top-down map of the scene at each fight start, one panel per fight, as a
// plain SVG file. Each panel explains itself: the player, the fight_radius
// circle with its value, a scale bar, every ped where it stood (humans as
// circles, animals as squares), the fighters coloured by group and labelled
// with the ped numbers of the story, a list of the fighters with their group
// and weapon, the task lines, why the other peds were left out, and a legend.
#pragma once

#include <cstdint>
#include <string>

#include "files/user_files.h"
#include "tools/fight_start.h"
#include "tools/story_record.h"

namespace ruckvale::tools {

// Streams the map: each panel is written as its fight starts, so memory does
// not grow with the run; the file appears under its name only when Finish
// succeeds.
// The most panels a map holds: beyond them a map grows past what viewers open.
inline constexpr int kMaxPanels = 300;

class SvgMapWriter {
 public:
  // Creates the temporary files beside `path`; false, with `error`, when
  // they cannot be made.
  bool Open(const std::string& path, float radius, std::string& error);
  // Writes the panel of one fight start; false once a write has failed.
  bool Add(const FightStart& fight);
  // A write has failed: the map is lost.
  bool failed() const { return failed_; }
  // Completes the file and renames it over `path`; false, with `error`,
  // when a write failed.
  bool Finish(std::string& error);

 private:
  files::ScratchFile panels_file_;  // the panels, in order, until Finish copies them
  files::AtomicFile map_;
  float radius_ = 0;
  int panels_ = 0;
  std::int64_t not_drawn_ = 0;  // fight starts beyond kMaxPanels
  bool failed_ = false;
};

// The text of one panel at grid position `index` (tests read it).
std::string SvgPanel(const FightStart& fight, int index, float radius);

}  // namespace ruckvale::tools
