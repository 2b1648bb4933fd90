#include "fight/law.h"

#include "host/natives.h"

namespace ruckvale {

namespace {

// Relationship level 6 is hate in this game; the game's scripts set a
// hostile group against the law at it, one call each way.
constexpr int kHate = 6;

}  // namespace

void SetLawRelations(const FightGroups& groups, bool steps_in) {
  if (groups.Group1Hash() == 0) return;
  const Hash brawl[2] = {groups.Group1Hash(), groups.Group2Hash()};
  for (const Hash law : kLawGroups) {
    for (const Hash group : brawl) {
      if (steps_in) {
        natives::SetRelationshipBetweenGroups(kHate, law, group);
        natives::SetRelationshipBetweenGroups(kHate, group, law);
      } else {
        natives::ClearRelationshipBetweenGroups(kHate, law, group);
        natives::ClearRelationshipBetweenGroups(kHate, group, law);
      }
    }
  }
}

}  // namespace ruckvale
