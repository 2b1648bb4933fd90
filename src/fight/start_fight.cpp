#include "fight/start_fight.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "fight/combatant.h"
#include "fight/fight_state.h"
#include "host/natives.h"
#include "host/random.h"
#include "settings/fight_settings.h"

namespace ruckvale {

const char* const InsultLines[3] = {"GENERIC_INSULT_HIGH_NEUTRAL", "GENERIC_INSULT_HIGH",
                                    "GENERIC_MOCK"};

Ped NearbyPedBuffer::Position(int k) const {
  Ped value;
  std::memcpy(&value, bytes + 4 * k, sizeof value);
  return value;
}

namespace {

// Relationship level 5: the groups hate each other.
constexpr int kHate = 5;
// Group names and speech parameters live as long as the module.
constexpr const char kGroup1Name[] = "BRAWL_GROUP_1";
constexpr const char kGroup2Name[] = "BRAWL_GROUP_2";
constexpr const char kSpeechParams[] = "SPEECH_PARAMS_BEAT_SPOKEN_CLEAR";

// Steps 1 to 5: the peds that may fight, in the order the game listed them.
// Returns false when the game lists fewer peds than the fight needs.
bool GatherCandidates(std::vector<Ped>& candidates) {
  const FightSettings& s = Settings();
  candidates.clear();
  const Ped player = natives::PlayerPedId();
  NearbyPedBuffer buffer;
  std::memset(buffer.bytes, 0, sizeof buffer.bytes);
  const std::int32_t capacity = kNearbyCapacity;
  std::memcpy(buffer.bytes, &capacity, sizeof capacity);
  const int count = natives::GetPedNearbyPeds(player, buffer.bytes, -1, -1);
  if (count < s.fight_group_size) return false;

  const Vector3 origin = natives::GetEntityCoords(player, true, true);
  // Never more positions than the buffer holds, whatever count the game returns.
  const int positions = std::min(count, kNearbyCapacity);
  for (int k = 1; k <= positions; ++k) {
    const Ped f = buffer.Position(k);
    // A handle the game lists twice is one candidate at most.
    bool repeated = false;
    for (int j = 1; j < k && !repeated; ++j) repeated = buffer.Position(j) == f;
    if (repeated) continue;
    if (!natives::DoesEntityExist(f)) continue;
    if (f == player) continue;
    if (s.humans_only && !natives::IsPedHuman(f)) continue;
    const Vector3 at = natives::GetEntityCoords(f, true, true);
    const float dx = at.x - origin.x;
    const float dy = at.y - origin.y;
    const float dz = at.z - origin.z;
    const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (distance > s.fight_radius) continue;
    candidates.push_back(f);
  }
  return true;
}

// Step 7: fight_group_size distinct candidates, one random attempt at a time.
void DrawFighters(const std::vector<Ped>& candidates, std::int32_t group_size,
                  std::vector<Ped>& selection) {
  selection.clear();
  const auto wanted = static_cast<std::size_t>(group_size);
  while (selection.size() < wanted) {
    const Ped pick = candidates[static_cast<std::size_t>(NextRandom()) % candidates.size()];
    if (std::find(selection.begin(), selection.end(), pick) == selection.end()) {
      selection.push_back(pick);
    }
  }
}

void CreateGroupsOnce(FightGroups& groups) {
  if (groups.Group1() != 0) return;
  natives::AddRelationshipGroup(kGroup1Name, &groups.group1);
  natives::AddRelationshipGroup(kGroup2Name, &groups.group2);
  natives::SetRelationshipBetweenGroups(kHate, groups.Group1(), groups.Group2());
  natives::SetRelationshipBetweenGroups(kHate, groups.Group2(), groups.Group1());
}

void Insult(Ped fighter) {
  const char* line = InsultLines[NextRandom() % 3];
  const Hash params = natives::GetHashKey(kSpeechParams);
  SpeechBlock block{};
  block.slots[0] = reinterpret_cast<std::uintptr_t>(line);
  block.slots[3] = params;
  block.slots[5] = 1;
  block.slots[6] = 1;
  block.slots[7] = 1;
  natives::PlayPedAmbientSpeechNative(fighter, &block);
}

}  // namespace

void StartFight() {
  const FightSettings& s = Settings();
  FightState& f = Fight();
  if (!GatherCandidates(f.candidates)) return;
  // A negative group size, read as an unsigned count, is never reached.
  if (static_cast<std::uint64_t>(static_cast<std::int64_t>(s.fight_group_size)) >
      f.candidates.size()) {
    return;
  }
  DrawFighters(f.candidates, s.fight_group_size, f.selection);
  // Room for the new roster before anything changes: if memory runs out here,
  // the running fight stays as it was.
  f.roster.reserve(f.selection.size());
  f.retask_times.reserve(f.selection.size());

  CreateGroupsOnce(f.groups);
  const std::size_t n = f.selection.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Ped fighter = f.selection[i];
    PrepareCombatant(fighter);
    natives::SetPedRelationshipGroupHash(fighter,
                                         i % 2 == 0 ? f.groups.Group1() : f.groups.Group2());
    Insult(fighter);
  }
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      if (i != j) natives::TaskCombatPed(f.selection[i], f.selection[j], 0, 16);
    }
  }
  f.roster.assign(f.selection.begin(), f.selection.end());
  f.retask_times.clear();
}

}  // namespace ruckvale
