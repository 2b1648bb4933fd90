#include "fight/weapons.h"

#include "fight/fight_context.h"
#include "host/natives.h"
#include "host/random.h"

namespace ruckvale {

namespace {

constexpr const char* kMelee[] = {"WEAPON_MELEE_KNIFE", "WEAPON_MELEE_MACHETE",
                                  "WEAPON_MELEE_HATCHET", "WEAPON_MELEE_CLEAVER"};
constexpr const char* kRevolver[] = {"WEAPON_REVOLVER_CATTLEMAN", "WEAPON_REVOLVER_DOUBLEACTION",
                                     "WEAPON_REVOLVER_SCHOFIELD", "WEAPON_REVOLVER_LEMAT"};
constexpr const char* kPistol[] = {"WEAPON_PISTOL_VOLCANIC", "WEAPON_PISTOL_MAUSER",
                                   "WEAPON_PISTOL_SEMIAUTO", "WEAPON_PISTOL_M1899"};
constexpr const char* kShotgun[] = {"WEAPON_SHOTGUN_DOUBLEBARREL", "WEAPON_SHOTGUN_PUMP",
                                    "WEAPON_SHOTGUN_REPEATING", "WEAPON_SHOTGUN_SEMIAUTO",
                                    "WEAPON_SHOTGUN_SAWEDOFF"};
constexpr const char* kRifle[] = {"WEAPON_RIFLE_SPRINGFIELD", "WEAPON_RIFLE_BOLTACTION",
                                  "WEAPON_SNIPERRIFLE_ROLLINGBLOCK", "WEAPON_SNIPERRIFLE_CARCANO"};
constexpr const char* kRepeater[] = {"WEAPON_REPEATER_CARBINE", "WEAPON_REPEATER_HENRY",
                                     "WEAPON_REPEATER_WINCHESTER", "WEAPON_REPEATER_EVANS"};
constexpr const char* kThrowable[] = {"WEAPON_THROWN_DYNAMITE", "WEAPON_THROWN_MOLOTOV",
                                      "WEAPON_THROWN_THROWING_KNIVES", "WEAPON_THROWN_TOMAHAWK"};
constexpr const char* kBow[] = {"WEAPON_BOW"};

template <std::size_t N>
constexpr WeaponCategoryNames Names(const char* const (&names)[N]) {
  return {names, N};
}

constexpr WeaponCategoryNames kCatalogueNames[kWeaponCategoryCount] = {
    Names(kMelee), Names(kRevolver), Names(kPistol),    Names(kShotgun),
    Names(kRifle), Names(kRepeater), Names(kThrowable), Names(kBow),
};

constexpr const char* kCategoryNames[kWeaponCategoryCount] = {
    "Melee", "Revolver", "Pistol", "Shotgun", "Rifle", "Repeater", "Throwable", "Bow"};

std::int32_t ChanceOf(const FightSettings& s, WeaponCategory category) {
  switch (category) {
    case WeaponCategory::Melee:
      return s.melee_chance;
    case WeaponCategory::Revolver:
      return s.revolver_chance;
    case WeaponCategory::Pistol:
      return s.pistol_chance;
    case WeaponCategory::Shotgun:
      return s.shotgun_chance;
    case WeaponCategory::Rifle:
      return s.rifle_chance;
    case WeaponCategory::Repeater:
      return s.repeater_chance;
    case WeaponCategory::Throwable:
      return s.throwables_chance;
    case WeaponCategory::Bow:
      return s.bow_chance;
  }
  return 0;
}

}  // namespace

WeaponCategoryNames WeaponNames(WeaponCategory category) {
  return kCatalogueNames[static_cast<int>(category)];
}

const char* WeaponCategoryName(WeaponCategory category) {
  return kCategoryNames[static_cast<int>(category)];
}

void BuildWeaponCatalogue(WeaponCatalogue& catalogue) {
  for (int c = 0; c < kWeaponCategoryCount; ++c) {
    const WeaponCategoryNames names = kCatalogueNames[c];
    std::vector<Hash> hashes;
    hashes.reserve(names.count);
    for (std::size_t i = 0; i < names.count; ++i) {
      hashes.push_back(natives::GetHashKey(names.names[i]));
    }
    catalogue[static_cast<std::size_t>(c)] = std::move(hashes);
  }
}

std::optional<WeaponCategory> CategoryForDraw(int c, const FightSettings& settings) {
  std::int64_t running_sum = 0;
  for (int i = 0; i < kWeaponCategoryCount; ++i) {
    const auto category = static_cast<WeaponCategory>(i);
    running_sum += ChanceOf(settings, category);
    if (c < running_sum) return category;
  }
  return std::nullopt;
}

std::optional<WeaponCategory> ChooseWeaponCategory(const FightContext& c) {
  return CategoryForDraw(NextRandom(c.random) % 100, c.settings);
}

Hash GiveRandomWeapon(const FightContext& c, Ped ped, const std::vector<Hash>& list) {
  if (list.empty()) return 0;
  const Hash weapon = list[static_cast<std::size_t>(NextRandom(c.random)) % list.size()];
  // Melee weapons come with one: the game's scripts never give them 0.
  int ammo = 1;
  // The rule follows the list's contents; the catalogue's own list is equal to
  // itself without comparing a hash.
  const WeaponCatalogue& catalogue = c.catalogue;
  const auto same = [&list, &catalogue](WeaponCategory category) {
    const std::vector<Hash>& other = catalogue[static_cast<std::size_t>(category)];
    return &list == &other || list == other;
  };
  if (same(WeaponCategory::Melee)) {
    // Melee: no draw.
  } else if (same(WeaponCategory::Throwable)) {
    ammo = NextRandom(c.random) % 3 + 3;
  } else {
    ammo = NextRandom(c.random) % 40 + 30;
  }
  const Hash add_reason = natives::GetHashKey("ADD_REASON_DEFAULT");
  // Every weapon goes to the primary hand; p7 and p8 as the game's own scripts pass them.
  natives::GiveWeaponToPed(ped, weapon, ammo, true, true, kAttachPrimaryHand, false, 0.5f, 1.0f,
                           add_reason, false, 0.0f, false);
  natives::SetCurrentPedWeapon(ped, weapon, true, kAttachPrimaryHand, false, false);
  return weapon;
}

Armament ArmCombatant(const FightContext& c, Ped ped) {
  Armament arms;
  arms.category = ChooseWeaponCategory(c);
  if (arms.category) {
    arms.weapon = GiveRandomWeapon(c, ped, c.catalogue[static_cast<std::size_t>(*arms.category)]);
  } else {
    natives::SetCurrentPedWeapon(ped, kUnarmedWeapon, true, kAttachPrimaryHand, false, false);
  }
  return arms;
}

const char* WeaponNameOf(const WeaponCatalogue& catalogue, Hash weapon) {
  for (std::size_t c = 0; c < catalogue.size(); ++c) {
    const WeaponCategoryNames names = WeaponNames(static_cast<WeaponCategory>(c));
    for (std::size_t i = 0; i < catalogue[c].size() && i < names.count; ++i) {
      if (catalogue[c][i] == weapon) return names.names[i];
    }
  }
  return nullptr;
}

}  // namespace ruckvale
