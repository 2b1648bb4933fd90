// The story's two forms: each entry of a run's record as one line of text
// (stamped with the simulated time) or as one JSON object. Each only
// formats; what to write and where is the run's.
#pragma once

#include <cstdint>
#include <string>

#include "tools/story_record.h"

namespace ruckvale::tools {

// "[mm:ss.sss] what happened\n"; a fight start runs over several lines.
// `fight_group_size` tells a trigger that found too few peds what it needed.
std::string StoryTextLine(const StoryEntry& entry, std::int32_t fight_group_size);

// {"t":seconds,"event":...}\n
std::string StoryJsonLine(const StoryEntry& entry);

// "timer", "pad" or "key".
const char* TriggerText(const FightStart& fight);

}  // namespace ruckvale::tools
