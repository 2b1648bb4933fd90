// The ini checker, a linter for Ruckvale.ini: prints what every line does to
// the module, warns about lines and values that are legal but almost
// certainly mistakes, then the values the module ends up with, what
// to expect in play and the weapon odds they give, and one summary line.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "settings/fight_settings.h"
#include "settings/load_settings.h"

namespace ruckvale::tools {

// Exit statuses of check-ini, for scripts.
inline constexpr int kCheckClean = 0;       // read, no finding
inline constexpr int kCheckFindings = 1;    // read, one or more findings
inline constexpr int kCheckUnreadable = 2;  // bad usage, or a file that cannot be read

// Checks the file at `path`. Returns kCheckClean or kCheckFindings when the
// file was read; kCheckUnreadable, after one line on `err`, when it is not a
// regular file or cannot be opened. Writes nothing else to `err`.
int CheckIni(const std::string& path, std::ostream& out, std::ostream& err);

// Why `path` cannot be read as an ini file ("is a folder", "is a FIFO", ...),
// or nullopt for a regular file (or a link to one) that opens.
std::optional<std::string> IniFileProblem(const std::string& path);

// Reads an ini file as the module would and tells how reading ended; nullopt
// when it cannot be read (see IniFileProblem).
std::optional<ReadEnd> ReadIniFile(const std::string& path, FightSettings& settings);

}  // namespace ruckvale::tools
