// The weapon catalogue and the armament of one fighter: a category drawn by
// the eight chance settings, then one weapon of it with its ammunition.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "host/types.h"

namespace ruckvale {

// In the order of the weighted draw.
enum class WeaponCategory : std::uint8_t {
  Melee,
  Revolver,
  Pistol,
  Shotgun,
  Rifle,
  Repeater,
  Throwable,
  Bow,
};
inline constexpr int kWeaponCategoryCount = 8;

// The weapon names of each category, in list order (30 in all).
struct WeaponCategoryNames {
  const char* const* names;
  std::size_t count;
};
WeaponCategoryNames WeaponNames(WeaponCategory category);
const char* WeaponCategoryName(WeaponCategory category);

// The hash the game uses for WEAPON_UNARMED; the one weapon hash the module knows.
inline constexpr Hash kUnarmedWeapon = 0xA2719263u;

// The attach point of the primary hand (1 would be the off hand).
inline constexpr int kAttachPrimaryHand = 0;

// One list of hashes per category, filled by BuildWeaponCatalogue.
using WeaponCatalogue = std::array<std::vector<Hash>, kWeaponCategoryCount>;

// Hashes the thirty weapon names with GET_HASH_KEY into `catalogue`; a second
// run replaces the lists rather than doubling them. No random draw.
void BuildWeaponCatalogue(WeaponCatalogue& catalogue);

struct FightSettings;
struct FightContext;

// The category a draw c (0 to 99) gives: the first, in order, whose running
// sum of chances exceeds c. The sum is taken in 64 bits, so huge chances never
// wrap into negative sums. No category means unarmed.
std::optional<WeaponCategory> CategoryForDraw(int c, const FightSettings& settings);

// One draw modulo 100, read by CategoryForDraw with the context's settings.
std::optional<WeaponCategory> ChooseWeaponCategory(const FightContext& c);

// Gives one weapon of `list` with its ammunition and makes it current, and
// returns its hash. An empty list: no draw, no native, 0. The ammunition
// follows the list: the catalogue's melee list one, its throwables 3 to 5.
Hash GiveRandomWeapon(const FightContext& c, Ped ped, const std::vector<Hash>& list);

// What a fighter was given: the category drawn (none: unarmed) and the weapon
// (0: none).
struct Armament {
  std::optional<WeaponCategory> category;
  Hash weapon = 0;
};

// The whole armament of one fighter.
Armament ArmCombatant(const FightContext& c, Ped ped);

// The game's name of a weapon of the catalogue, or nullptr.
const char* WeaponNameOf(const WeaponCatalogue& catalogue, Hash weapon);

}  // namespace ruckvale
