// The ini checker: prints what every line of an ini file does to the module,
// the fourteen values the module ends up with, and the weapon odds they give.
#pragma once

#include <ostream>
#include <string>

#include <optional>

#include "fight/weapons.h"
#include "settings/fight_settings.h"

namespace ruckvale::tools {

// Returns 0 when the file was read, 2 (after a message on `err`) when it
// cannot be opened.
int CheckIni(const std::string& path, std::ostream& out, std::ostream& err);

// Percent of fighters per category (index 0 to 7) and unarmed (index 8).
struct WeaponOdds {
  int percent[9] = {};
};
WeaponOdds OddsOf(const FightSettings& settings);

// The name of row i of the odds: a category for 0 to 7, "unarmed" for 8.
const char* OddsRowName(int i);
// The name of a drawn category, or "unarmed" for none.
const char* CategoryText(const std::optional<WeaponCategory>& category);

// Prints the odds table.
void PrintOdds(const WeaponOdds& odds, std::ostream& out);

// Reads an ini file as the module would; false when it cannot be opened.
bool ReadIniFile(const std::string& path, FightSettings& settings);

}  // namespace ruckvale::tools
