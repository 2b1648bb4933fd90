#include "fight/start_fight.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "fight/combatant.h"
#include "fight/law.h"
#include "host/natives.h"
#include "host/random.h"

namespace ruckvale {

int NearbyPedBuffer::Stride(int count) const {
  return count >= 1 && Handle(1, 4) == 0 ? 8 : 4;
}

Ped NearbyPedBuffer::Handle(int k, int stride) const {
  Ped value;
  std::memcpy(&value, bytes + static_cast<std::ptrdiff_t>(stride) * k, sizeof value);
  return value;
}

namespace {

// Relationship level 6 is hate in this game (5 is "wanted").
constexpr int kHate = 6;
// Group names and speech parameters live as long as the module.
constexpr const char kGroup1Name[] = "BRAWL_GROUP_1";
constexpr const char kGroup2Name[] = "BRAWL_GROUP_2";
constexpr const char kSpeechParams[] = "SPEECH_PARAMS_BEAT_SPOKEN_CLEAR";

// The handles of the running fight and those read so far from one nearby
// list, so that a fighter and a handle the game lists twice are told in
// constant time: an open-addressed table of 128 slots, never more than half
// full (at most 32 fighters and 32 listed handles).
class HandleTable {
 public:
  static constexpr std::uint8_t kListed = 1;
  static constexpr std::uint8_t kFighter = 2;
  void MarkFighter(Ped h) { flags_[Slot(h)] |= kFighter; }
  // The flags `h` had before; marks it listed.
  std::uint8_t Visit(Ped h) {
    std::uint8_t& flags = flags_[Slot(h)];
    const std::uint8_t before = flags;
    flags |= kListed;
    return before;
  }

 private:
  // The slot of `h`: where it sits, or the free one where it goes.
  unsigned Slot(Ped h) {
    unsigned i = (static_cast<std::uint32_t>(h) * 0x9E3779B1u) >> 25;
    while (flags_[i] != 0 && slots_[i] != h) i = (i + 1) & 127u;
    slots_[i] = h;
    return i;
  }
  std::uint8_t flags_[128] = {};
  Ped slots_[128];  // only the slots with flags are read
};
static_assert(kNearbyCapacity <= 32);

// What the game holds a ped in: on a horse, in a vehicle, hogtied or held by
// a lasso. Such a ped cannot fight; each native is asked only while the
// earlier ones let the ped through.
std::optional<LeftOutBy> HeldOrRiding(Ped f) {
  if (natives::IsPedOnMount(f)) return LeftOutBy::Riding;
  if (natives::IsPedInAnyVehicle(f, true)) return LeftOutBy::InVehicle;
  if (natives::IsPedHogtied(f)) return LeftOutBy::Hogtied;
  if (natives::IsPedLassoed(f)) return LeftOutBy::Lassoed;
  return std::nullopt;
}

// The tests of one listed ped that is not listed twice, in order; the first
// that fails is counted in the report.
bool Qualifies(const FightSettings& s, Ped f, Ped player, Ped mount, const Vector3& origin,
               std::uint8_t known, FightStartReport& report) {
  const auto out = [&report](LeftOutBy why) {
    ++report.left_out[static_cast<int>(why)];
    return false;
  };
  if (!natives::DoesEntityExist(f)) return out(LeftOutBy::NotExisting);
  if (f == player) return out(LeftOutBy::Player);
  if (mount != 0 && f == mount) return out(LeftOutBy::PlayersMount);
  if (s.humans_only && !natives::IsPedHuman(f)) return out(LeftOutBy::NotHuman);
  const Vector3 at = natives::GetEntityCoords(f, true, true);
  if (!WithinFightRadius(origin, at, s.fight_radius)) return out(LeftOutBy::TooFar);
  // The list holds the dead too.
  if (natives::IsPedDeadOrDying(f, true)) return out(LeftOutBy::Dead);
  // A ped another script keeps (a story mission's, a companion) is not ours
  // to take; our own fighters are mission entities and may fight again.
  const bool fighter = (known & HandleTable::kFighter) != 0;
  if (!fighter && natives::IsEntityAMissionEntity(f)) return out(LeftOutBy::OtherScript);
  if (const std::optional<LeftOutBy> held = HeldOrRiding(f)) return out(*held);
  return true;
}

// Leaves the lawmen out of the candidates, in order: each is asked its
// default group after every other test let it through. Only when the
// settings keep the law out, so that a module that draws lawmen makes the
// calls it always made and pays nothing per ped.
void LeaveLawOut(std::vector<Ped>& candidates, FightStartReport& report) {
  // remove_if asks its predicate of each element once, first to last: the
  // peds are asked in the order the game listed them.
  const auto law = std::remove_if(candidates.begin(), candidates.end(), [](Ped f) {
    return IsLawGroup(natives::GetPedRelationshipGroupDefaultHash(f));
  });
  report.left_out[static_cast<int>(LeftOutBy::Law)] += static_cast<int>(candidates.end() - law);
  candidates.erase(law, candidates.end());  // smaller: no allocation
}

// The peds that may fight, in the order the game listed them: existing, not
// the player nor the horse it rides, human when asked, within the radius,
// alive, not kept by another script, free to move, and no lawman when the law
// stays out. Returns false when the game lists fewer peds than the fight
// needs.
bool GatherCandidates(const FightSettings& s, const FightRoster& roster,
                      std::vector<Ped>& candidates, FightStartReport& report) {
  candidates.clear();
  const Ped player = natives::PlayerPedId();
  NearbyPedBuffer buffer;
  std::memset(buffer.bytes, 0, sizeof buffer.bytes);
  const std::int32_t capacity = kNearbyCapacity;
  std::memcpy(buffer.bytes, &capacity, sizeof capacity);
  const int count = natives::GetPedNearbyPeds(player, buffer.bytes, -1, -1);
  report.listed = count;
  if (count < s.fight_group_size) return false;
  report.tested = true;

  const Vector3 origin = natives::GetEntityCoords(player, true, true);
  // Only a module that may draw animals needs to know the player's horse.
  const Ped mount = s.humans_only ? 0 : natives::GetMount(player);
  const int stride = buffer.Stride(count);
  report.stride = static_cast<std::uint8_t>(stride);
  // Never more positions than the buffer holds, whatever count the game returns.
  const int positions = std::min(count, kNearbyCapacity);
  HandleTable handles;
  for (const RosterEntry& r : roster) handles.MarkFighter(r.ped);
  for (int k = 1; k <= positions; ++k) {
    const Ped f = buffer.Handle(k, stride);
    const std::uint8_t known = handles.Visit(f);
    // A handle the game lists twice is one candidate at most.
    if ((known & HandleTable::kListed) != 0) {
      ++report.left_out[static_cast<int>(LeftOutBy::Repeated)];
    } else if (Qualifies(s, f, player, mount, origin, known, report)) {
      candidates.push_back(f);
    }
  }
  if (s.LeavesLawOut()) LeaveLawOut(candidates, report);
  report.candidates = static_cast<int>(candidates.size());
  return true;
}

// fight_group_size distinct candidates, one random attempt at a time.
// The candidates are distinct and at most 32, so a mask of the indexes drawn
// tells a repeated pick.
void DrawFighters(const std::vector<Ped>& candidates, std::int32_t group_size,
                  std::uint32_t& random, std::vector<Ped>& selection) {
  static_assert(kNearbyCapacity <= 64);
  selection.clear();
  const auto wanted = static_cast<std::size_t>(group_size);
  std::uint64_t drawn = 0;
  while (selection.size() < wanted) {
    const std::size_t i = static_cast<std::size_t>(NextRandom(random)) % candidates.size();
    const std::uint64_t bit = std::uint64_t{1} << i;
    if ((drawn & bit) == 0) {
      drawn |= bit;
      selection.push_back(candidates[i]);
    }
  }
}

// True when it made the groups and set them against the law.
bool CreateGroupsOnce(FightGroups& groups, bool law_steps_in) {
  if (groups.Group1Hash() != 0) return false;
  natives::AddRelationshipGroup(kGroup1Name, &groups.group1_slot);
  natives::AddRelationshipGroup(kGroup2Name, &groups.group2_slot);
  natives::SetRelationshipBetweenGroups(kHate, groups.Group1Hash(), groups.Group2Hash());
  natives::SetRelationshipBetweenGroups(kHate, groups.Group2Hash(), groups.Group1Hash());
  if (!law_steps_in) return false;
  SetLawRelations(groups, true);
  return groups.Group1Hash() != 0;
}

// Fighters of the replaced fight that were not drawn again are let go, in
// roster order; one that no longer exists needs nothing.
void ReleaseLeavers(const FightRoster& roster, const std::vector<Ped>& selection) {
  for (const RosterEntry& old : roster) {
    if (std::find(selection.begin(), selection.end(), old.ped) != selection.end()) continue;
    if (natives::DoesEntityExist(old.ped)) LetGoCombatant(old.ped);
  }
}

// Each fighter registers every fighter of the other side as a target, then
// takes one combat task: a new task replaces the last, so one task per ped.
// Its first opponent is its neighbour in the selection: 0 against 1, 2
// against 3, and the last of an odd number against the one before it.
void SetSidesOnEachOther(const std::vector<Ped>& selection) {
  const std::size_t n = selection.size();
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = (i + 1) % 2; j < n; j += 2) {
      natives::RegisterTarget(selection[i], selection[j], true);
    }
    if (n < 2) continue;
    const std::size_t partner = i % 2 == 0 && i + 1 < n ? i + 1 : i - 1;
    natives::TaskCombatPed(selection[i], selection[partner], 0, 16);
  }
}

std::uint8_t GroupOfPosition(std::size_t i) {
  return i % 2 == 0 ? 1 : 2;
}

void Insult(Ped fighter, std::uint32_t& random) {
  const char* line = kInsultLines[NextRandom(random) % 3];
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

FightStartReport StartFight(FightState& f, const FightContext& c, std::uint32_t now) {
  const FightSettings& s = c.settings;
  FightStartReport report;
  if (!GatherCandidates(s, f.roster, f.candidates, report)) return report;
  // A negative group size, read as an unsigned count, is never reached.
  if (static_cast<std::uint64_t>(static_cast<std::int64_t>(s.fight_group_size)) >
      f.candidates.size()) {
    return report;
  }
  DrawFighters(f.candidates, s.fight_group_size, c.random, f.selection);
  // Room for the new roster before anything changes: if memory runs out here,
  // the running fight stays as it was.
  f.roster.reserve(f.selection.size());
  f.retask_times.reserve(f.selection.size());

  report.law_set = CreateGroupsOnce(f.groups, s.law_steps_in);
  const std::size_t n = f.selection.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Ped fighter = f.selection[i];
    report.arms[i] = PrepareCombatant(c, fighter);
    natives::SetPedRelationshipGroupHash(
        fighter, GroupOfPosition(i) == 1 ? f.groups.Group1Hash() : f.groups.Group2Hash());
    Insult(fighter, c.random);
  }
  SetSidesOnEachOther(f.selection);
  ReleaseLeavers(f.roster, f.selection);
  f.roster.clear();
  f.retask_times.clear();
  // The first re-task waits its interval from the start: a fighter the game
  // does not yet report in combat has had its task for less than a frame.
  for (std::size_t i = 0; i < n; ++i) {
    f.roster.push_back({f.selection[i], GroupOfPosition(i)});
    f.retask_times[f.selection[i]] = now;
  }
  report.started = true;
  report.fighters = static_cast<int>(n);
  return report;
}

}  // namespace ruckvale
