// Reads the module's settings file.
#pragma once

namespace ruckvale {

// Reads "Ruckvale.ini" from the working directory into the module's settings.
// A missing file, an unreadable line or exhausted memory changes nothing
// beyond what the lines read so far set; nothing is reported and nothing is
// thrown.
void LoadSettings() noexcept;

}  // namespace ruckvale
