// A top-down map of the scene at each fight start, one panel per fight, as a
// plain SVG file: the player, the fight_radius circle, every ped (humans as
// circles, animals as squares), the fighters coloured by group with their
// weapon category, the task lines, and why the other peds were left out.
#pragma once

#include <string>
#include <vector>

#include "tools/story.h"

namespace ruckvale::tools {

// Returns false when the file cannot be written.
bool WriteSvgMap(const std::string& path, const std::vector<FightStart>& fights, float radius);

// The SVG text itself.
std::string SvgMap(const std::vector<FightStart>& fights, float radius);

}  // namespace ruckvale::tools
