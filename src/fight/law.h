// The law and the brawl: which relationship groups are the law's, and the
// hate between them and the two brawl groups when lawmen step in.
#pragma once

#include "fight/fight_state.h"
#include "host/types.h"

namespace ruckvale {

// The law's groups in this game: town lawmen and the Guarma law. The game's
// own scripts tell a lawman by the default group of the ped (REL_PINKERTONS
// are story enemies, not town law).
inline constexpr Hash kRelCop = 0x2A318608;       // "REL_COP"
inline constexpr Hash kRelGuamaLaw = 0x065A12C3;  // "REL_GUAMA_LAW"
inline constexpr Hash kLawGroups[2] = {kRelCop, kRelGuamaLaw};

// True for a group of the law (the hash's low 32 bits).
inline bool IsLawGroup(Hash group) {
  return group == kRelCop || group == kRelGuamaLaw;
}

// steps_in: each law group and each brawl group hate each other, both ways
// (eight SET_RELATIONSHIP_BETWEEN_GROUPS at level 6); false: those eight
// relationships are cleared back to the game's own. Nothing while the brawl
// groups do not exist yet: they get the relationships when they are made.
void SetLawRelations(const FightGroups& groups, bool steps_in);

}  // namespace ruckvale
