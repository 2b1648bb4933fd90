// Reading Ruckvale.ini again while the game runs, on reload_key's release.
#pragma once

#include <cstdint>

#include "host/module_state.h"

namespace ruckvale {

// The hashes of pad_trigger's controls, asked only when it is set; 0 when it
// is not.
void AskPadControls(ModuleState& m);

// Reads Ruckvale.ini as at start: every setting takes its new value (the
// defaults for a key the file no longer names), while the running fight,
// its roster and the on/off switch go on. A key that changed starts with a
// fresh latch; the pad's controls are asked again; a log switched on opens
// and one switched off closes. Never throws.
void ReloadSettings(ModuleState& m, std::uint32_t now) noexcept;

}  // namespace ruckvale
