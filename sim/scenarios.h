// Fixed scenarios of the module in the simulated game, each producing the
// full trace of its calls. The native build and Ruckvale.asi under Windows
// (or wine) run the same list; their traces must agree byte for byte.
#pragma once

#include <string>
#include <vector>

namespace ruckvale::sim {

struct ScenarioInfo {
  const char* name;
  const char* about;
};
const std::vector<ScenarioInfo>& Scenarios();

// Runs the named scenario from a fresh module load to its unload and returns
// its trace, one call per line. Throws std::invalid_argument for an unknown name.
std::string RunScenario(const std::string& name);

}  // namespace ruckvale::sim
