// One run of the module in the built-in scene, told as a story.
#pragma once

#include <ostream>

#include "tools/options.h"

namespace ruckvale::tools {

// Returns the process exit code: 0, or 2 when an input file cannot be read
// or the map cannot be written (with a message on `err`).
int RunSimulation(const SimOptions& options, std::ostream& out, std::ostream& err);

}  // namespace ruckvale::tools
