// The verdict block: one line per open question of docs/GAME-NOTES.md,
// numbered as there, with the counts that answer it so far.
#include <cstdio>

#include "probe/probe_lines.h"
#include "settings/fight_settings.h"

namespace ruckvale {

namespace {

void LogSamples(ModuleLog& log, std::uint32_t now, const ProbeTally& t) {
  const SampleCounts& a = t.at[0];
  const SampleCounts& b = t.at[1];
  LogLine(log, now, "Q1 fighters fight: %d of %d fleeing at 1 s, %d of %d at 5 s", a.fleeing,
          a.fighters, b.fleeing, b.fighters);
  LogLine(log, now, "Q2 attributes 5 and 46: not read back; Q1 and Q4 tell whether they fight");
  LogLine(log, now, "Q3 the primary hand: %d of %d armed hold their weapon at 1 s, %d of %d at 5 s",
          a.holding, a.armed, b.holding, b.armed);
  LogLine(log, now,
          "Q4 hate, one side each: %d of %d neither in combat nor fleeing at 1 s, %d of %d at "
          "5 s; %d with their own side at 1 s, %d at 5 s; %d of %d in their brawl group at 1 s, "
          "%d of %d at 5 s",
          a.idle, a.fighters, b.idle, b.fighters, a.own_side, b.own_side, a.in_group, a.fighters,
          b.in_group, b.fighters);
  LogLine(log, now, "Q5 mission entity (ped, 1, 1): not read back");
}

void LogLetGo(ModuleLog& log, std::uint32_t now, const ProbeTally& t) {
  const LookCounts& e = t.at_end;
  const LookCounts& x = t.after;
  LogLine(log, now,
          "Q6 the end of a fight: %d let go (%d drawn again before their last look); 5 s "
          "later %d of %d looked at still there, %d not in their default group, %d of %d "
          "winners in combat",
          e.peds, t.drawn_again, x.there, x.peds, x.there - x.default_group, t.winners_in_combat,
          t.winners_after);
  LogLine(log, now, "Q7 the player's ped read once: not read back");
}

void LogGateAndList(ModuleLog& log, std::uint32_t now, const ProbeTally& t) {
  char seconds[16];
  ProbeSeconds(t.stretch_ms, seconds);
  LogLine(log, now, "Q8 reset flag 187: %d stretches, %s s in all, in %d minutes", t.stretches,
          seconds, t.stretch_minutes);
  LogLine(log, now, "Q9 the foreground test: not read back");
  LogLine(log, now,
          "Q10 the nearby list: %d fights, %d peds listed in all; %d in 8-byte slots, %d in "
          "4-byte positions",
          t.fights, t.listed, t.slots8, t.slots4);
  LogLine(log, now, "Q11 released bodies: %d of %d let go still mission entities 5 s later",
          t.after.mission, t.after.peds);
  LogLine(log, now, "Q12 riders: %d of %d on a mount at 1 s, %d of %d at 5 s", t.at[0].riding,
          t.at[0].fighters, t.at[1].riding, t.at[1].fighters);
  LogLine(log, now,
          "Q13 knives close in: %d of %d blades and fists within 3 m of an opponent at 1 s, %d "
          "of %d at 5 s",
          t.at[0].close, t.at[0].blades, t.at[1].close, t.at[1].blades);
}

// "RB at 12.3 s" or "RB never".
void FirstSeen(const char* name, std::uint32_t tick, std::uint32_t start, char (&out)[48]) {
  if (tick == 0) {
    std::snprintf(out, sizeof out, "%s never", name);
    return;
  }
  char seconds[16];
  ProbeSeconds(tick - start, seconds);
  std::snprintf(out, sizeof out, "%s at %s s", name, seconds);
}

void LogPad(ModuleLog& log, std::uint32_t now, const ProbeState& p) {
  if (p.pad_index[0] < 0 || p.pad_index[1] < 0) {
    LogLine(log, now, "Q14 the gamepad controls: pad_trigger is not set");
  } else {
    char hold[48], press[48], pad[48];
    FirstSeen(kPadControls[p.pad_index[0]].name, p.pad_first[0], log.start_tick, hold);
    FirstSeen(kPadControls[p.pad_index[1]].name, p.pad_first[1], log.start_tick, press);
    FirstSeen("the pad in use", p.pad_first[2], log.start_tick, pad);
    LogLine(log, now, "Q14 the gamepad controls: first reported pressed: %s, %s; %s", hold, press,
            pad);
  }
  LogLine(log, now, "Q15 modifiers: not read back");
}

}  // namespace

void LogVerdict(ModuleLog& log, std::uint32_t now, const ProbeState& p, const char* when) {
  if (!LogOn(log)) return;
  const ProbeTally& t = p.tally;
  LogLine(log, now,
          "probe verdict %s (send this block), %d fight%s; %d 5 s samples missed, %d let-go "
          "peds not looked at again:",
          when, t.fights, t.fights == 1 ? "" : "s", t.samples_missed, t.looks_lost);
  LogSamples(log, now, t);
  LogLetGo(log, now, t);
  LogGateAndList(log, now, t);
  LogPad(log, now, p);
  LogFlush(log);
}

}  // namespace ruckvale
