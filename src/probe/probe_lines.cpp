#include "probe/probe_lines.h"

#include <cinttypes>
#include <cstdio>

namespace ruckvale {

namespace {

// The weapon's name as the catalogue knows it, or its hash.
const char* WeaponText(const WeaponCatalogue& catalogue, std::uint64_t weapon, char (&buf)[24]) {
  if (weapon == kUnarmedWeapon) return "WEAPON_UNARMED";
  if (weapon >> 32 == 0) {
    if (const char* name = WeaponNameOf(catalogue, static_cast<Hash>(weapon))) return name;
  }
  std::snprintf(buf, sizeof buf, "0x%" PRIX64, weapon);
  return buf;
}

// Appends `what` to the line being built, after a comma once there is text.
void Add(char (&line)[256], int& used, const char* what) {
  if (used >= static_cast<int>(sizeof line) - 1) return;
  const int n = std::snprintf(line + used, sizeof line - static_cast<std::size_t>(used), "%s%s",
                              used > 0 ? ", " : "", what);
  if (n > 0) used += n;
}

void LogFault(ModuleLog& log, std::uint32_t now, const ProbeFighter& f,
              const WeaponCatalogue& catalogue, const FighterReading& r) {
  char line[256] = "";
  int used = 0;
  char text[64], buf[24];
  if (!r.in_combat) Add(line, used, "not in combat");
  if (r.fleeing) Add(line, used, "fleeing");
  if (r.own_side) Add(line, used, "in combat with its own side");
  if (r.armed && !r.holding) {
    std::snprintf(text, sizeof text, "holds %s", WeaponText(catalogue, r.held, buf));
    Add(line, used, text);
  }
  if (r.blade && r.in_combat && !r.fleeing && r.nearest >= 0.0f && !r.close) {
    std::snprintf(text, sizeof text, "%.1f m from an opponent", static_cast<double>(r.nearest));
    Add(line, used, text);
  }
  if (!r.in_group) {
    std::snprintf(text, sizeof text, "in group 0x%08X", r.group);
    Add(line, used, text);
  }
  if (r.riding) Add(line, used, "on a mount");
  LogLine(log, now, "  ped %d (side %d, %s): %s", f.ped, f.group,
          f.weapon != 0 ? WeaponText(catalogue, f.weapon, buf) : "fists", line);
}

}  // namespace

void ProbeSeconds(std::uint32_t ms, char (&out)[16]) {
  std::snprintf(out, sizeof out, "%u.%u", ms / 1000, ms % 1000 / 100);
}

void LogSample(ModuleLog& log, std::uint32_t now, const ProbeState& p,
               const WeaponCatalogue& catalogue, const SampleCounts& c,
               const FighterReading (&r)[kProbeFighters]) {
  if (!LogOn(log)) return;
  // The moment the sample stands for; the line's time tells when it was read.
  char at[16];
  ProbeSeconds(kProbeSampleMs[p.next_sample < 2 ? p.next_sample : 1], at);
  LogLine(log, now,
          "probe %s s: %d fighters: %d in combat, %d fleeing, %d with their own side, %d of %d "
          "armed hold their weapon, %d of %d blades within 3 m of an opponent, %d in their "
          "group, %d on a mount; %d down, %d gone",
          at, c.fighters, c.in_combat, c.fleeing, c.own_side, c.holding, c.armed, c.close, c.blades,
          c.in_group, c.riding, c.down, c.gone);
  for (int i = 0; i < p.fighter_count; ++i) {
    if (FailsATest(r[i])) LogFault(log, now, p.fighters[i], catalogue, r[i]);
  }
  LogFlush(log);
}

void LogLook(ModuleLog& log, std::uint32_t now, const char* what, const LookCounts& c) {
  if (!LogOn(log) || c.peds == 0) return;
  LogLine(log, now,
          "probe %s: %d let go: %d still there, %d still mission entities, %d in their default "
          "group, %d in combat, %d fleeing",
          what, c.peds, c.there, c.mission, c.default_group, c.in_combat, c.fleeing);
}

void LogLetGoFault(ModuleLog& log, std::uint32_t now, Ped ped, const LetGoReading& r) {
  if (!LogOn(log) || !r.there || (!r.mission && r.default_group)) return;
  LogLine(log, now, "  ped %d:%s%s group 0x%08X", ped, r.mission ? " still a mission entity," : "",
          r.default_group ? " in its default" : " not in its default", r.group);
}

}  // namespace ruckvale
