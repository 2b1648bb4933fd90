#include "probe/probe.h"

#include <algorithm>

#include "host/natives.h"
#include "probe/probe_lines.h"
#include "probe/probe_read.h"

namespace ruckvale {

namespace {

// Milliseconds until `tick`, 0 when it has passed (ticks compared as signed
// 32-bit differences).
std::uint32_t Until(std::uint32_t tick, std::uint32_t now) {
  const auto left = static_cast<std::int32_t>(tick - now);
  return left > 0 ? static_cast<std::uint32_t>(left) : 0u;
}

// The next tick at which the probe has something to do.
void Reschedule(ProbeState& p, std::uint32_t now) {
  std::uint32_t wait = kProbeIdleMs;
  if (p.next_sample < 2) wait = Until(p.start + kProbeSampleMs[p.next_sample], now);
  for (int i = 0; i < p.let_go_count; ++i) wait = std::min(wait, Until(p.let_go[i].due, now));
  if (p.pad_watch) wait = 0;
  p.due = now + wait;  // wraps with the tick count
}

// A look at peds just let go, and their last look 5 s later.
void LetGo(ModuleState& m, std::uint32_t now, const Ped* peds, int n, bool winners,
           const char* what) {
  ProbeState& p = m.probe;
  LookCounts look;
  for (int i = 0; i < n; ++i) {
    const LetGoReading r = ReadLetGo(peds[i]);
    CountLook(r, look);
    LogLetGoFault(m.log, now, peds[i], r);
    if (p.let_go_count == kProbeLetGo) {
      ++p.tally.looks_lost;
      continue;
    }
    p.let_go[p.let_go_count++] = {peds[i], now + kProbeLastLookMs, winners};
  }
  p.tally.at_end += look;
  LogLook(m.log, now, what, look);
}

// Tells the gate's stretches not yet told, of the minute being counted.
void TellGateMinute(ModuleState& m, std::uint32_t now) {
  ProbeState& p = m.probe;
  if (p.gate_stretches == 0) return;
  if (LogOn(m.log)) {
    char seconds[16];
    ProbeSeconds(p.gate_ms, seconds);
    LogLine(m.log, now, "probe: minute %u: %d gate stretch%s, %s s in all", p.gate_minute + 1,
            p.gate_stretches, p.gate_stretches == 1 ? "" : "es", seconds);
  }
  p.gate_stretches = 0;
  p.gate_ms = 0;
}

// The verdict block, after the gate's stretches not yet told.
void Verdict(ModuleState& m, std::uint32_t now, const char* when) {
  TellGateMinute(m, now);
  LogVerdict(m.log, now, m.probe, when);
}

// Let-go peds the new fight drew again are fighters once more: no last look.
void ForgetDrawnAgain(ProbeState& p, const FightRoster& roster) {
  int kept = 0;
  for (int i = 0; i < p.let_go_count; ++i) {
    const Ped ped = p.let_go[i].ped;
    if (std::any_of(roster.begin(), roster.end(),
                    [ped](const RosterEntry& e) { return e.ped == ped; })) {
      ++p.tally.drawn_again;
      continue;
    }
    p.let_go[kept++] = p.let_go[i];
  }
  p.let_go_count = kept;
}

// The current fight ends, over or replaced: a 5 s sample still due is missed.
void EndFight(ModuleState& m, std::uint32_t now, const char* how) {
  ProbeState& p = m.probe;
  if (!p.fight_open) return;
  p.fight_open = false;
  if (p.next_sample < 2) {
    ++p.tally.samples_missed;
    char at[16];
    ProbeSeconds(now - p.start, at);
    if (LogOn(m.log))
      LogLine(m.log, now, "probe: no %u.0 s sample: the fight %s at %s s",
              kProbeSampleMs[p.next_sample] / 1000, how, at);
    p.next_sample = 2;
  }
}

void Sample(ModuleState& m, std::uint32_t now) {
  ProbeState& p = m.probe;
  FighterReading readings[kProbeFighters];
  ReadFighters(p, readings);
  const SampleCounts c = CountReadings(p, readings);
  p.tally.at[p.next_sample] += c;
  LogSample(m.log, now, p, m.catalogue, c, readings);
  ++p.next_sample;
}

// The last looks that are due, told in one line.
void LastLooks(ModuleState& m, std::uint32_t now) {
  ProbeState& p = m.probe;
  LookCounts look;
  int kept = 0;
  for (int i = 0; i < p.let_go_count; ++i) {
    const ProbeLetGo g = p.let_go[i];
    if (static_cast<std::int32_t>(now - g.due) < 0) {
      p.let_go[kept++] = g;
      continue;
    }
    const LetGoReading r = ReadLetGo(g.ped);
    CountLook(r, look);
    LogLetGoFault(m.log, now, g.ped, r);
    p.tally.winners_after += g.winner;
    p.tally.winners_in_combat += g.winner && r.in_combat;
  }
  p.let_go_count = kept;
  if (look.peds == 0) return;
  p.tally.after += look;
  LogLook(m.log, now, "5 s after the let-go", look);
  LogFlush(m.log);
}

// The first time each of pad_trigger's controls reports pressed, and the
// first time the pad is in use.
void WatchPad(ModuleState& m, std::uint32_t now) {
  ProbeState& p = m.probe;
  const Hash hashes[2] = {m.main_loop.pad_hold, m.main_loop.pad_press};
  for (int i = 0; i < 2; ++i) {
    if (p.pad_first[i] == 0 && natives::IsDisabledControlPressed(0, hashes[i])) {
      p.pad_first[i] = now;
      if (LogOn(m.log)) {
        LogLine(m.log, now, "probe: %s reports pressed", kPadControls[p.pad_index[i]].name);
      }
    }
  }
  if (p.pad_first[2] == 0 && !natives::IsUsingKeyboardAndMouse(0)) {
    p.pad_first[2] = now;
    if (LogOn(m.log)) LogLine(m.log, now, "probe: the pad is in use");
  }
  p.pad_watch = p.pad_first[0] == 0 || p.pad_first[1] == 0 || p.pad_first[2] == 0;
  if (!p.pad_watch || p.pad_first[0] == now || p.pad_first[1] == now || p.pad_first[2] == now) {
    LogFlush(m.log);
  }
}

}  // namespace

void ProbeScriptStart(ModuleState& m, std::uint32_t now) noexcept {
  ProbeState& p = m.probe;
  p = ProbeState{};
  p.on = m.settings.probe;
  if (!p.on) return;
  if (m.settings.HasPadTrigger()) {
    p.pad_index[0] = m.settings.pad_hold;
    p.pad_index[1] = m.settings.pad_press;
    p.pad_watch = true;
  }
  Reschedule(p, now);
}

void ProbeScriptEnds(ModuleState& m) noexcept {
  ProbeState& p = m.probe;
  if (!p.on) return;
  // The handles of this run mean nothing to the next.
  p.tally.looks_lost += p.let_go_count;
  p.let_go_count = 0;
  Verdict(m, m.main_loop.last_now, "at a restart");
}

void CopyRoster(const FightRoster& roster, RosterCopy& copy) noexcept {
  copy.count = static_cast<int>(std::min<std::size_t>(roster.size(), kProbeFighters));
  std::copy_n(roster.begin(), copy.count, copy.entries);
}

void ProbeFightStart(ModuleState& m, std::uint32_t now, const FightStartReport& r,
                     const RosterCopy& before) noexcept {
  ProbeState& p = m.probe;
  if (!r.started) return;
  const bool replaced = p.fight_open;
  EndFight(m, now, "was replaced");
  // The fighters of the replaced fight not drawn again, that the start let go.
  Ped leavers[kProbeFighters] = {};
  int n = 0;
  for (int i = 0; i < before.count; ++i) {
    const Ped ped = before.entries[i].ped;
    const bool again = std::any_of(m.fight.roster.begin(), m.fight.roster.end(),
                                   [ped](const RosterEntry& e) { return e.ped == ped; });
    if (!again && natives::DoesEntityExist(ped)) leavers[n++] = ped;
  }
  ForgetDrawnAgain(p, m.fight.roster);
  LetGo(m, now, leavers, n, false, "at the replaced fight's end");
  if (replaced) Verdict(m, now, "at the end of a fight");
  p.fighter_count = std::min(static_cast<int>(m.fight.roster.size()), kProbeFighters);
  for (int i = 0; i < p.fighter_count; ++i) {
    const Armament& a = r.arms[i];
    p.fighters[i] = {m.fight.roster[static_cast<std::size_t>(i)].ped,
                     m.fight.roster[static_cast<std::size_t>(i)].group,
                     static_cast<std::int8_t>(a.category ? static_cast<int>(*a.category) : -1),
                     a.weapon};
  }
  p.group_hashes[0] = m.fight.groups.Group1Hash();
  p.group_hashes[1] = m.fight.groups.Group2Hash();
  p.start = now;
  p.next_sample = 0;
  p.fight_open = true;
  ++p.tally.fights;
  p.tally.listed += r.listed;
  ++(r.stride == 8 ? p.tally.slots8 : p.tally.slots4);
  if (LogOn(m.log)) {
    LogLine(m.log, now, "probe: the game listed %d peds in %s", r.listed,
            r.stride == 8 ? "8-byte slots" : "4-byte positions");
    LogFlush(m.log);
  }
  Reschedule(p, now);
}

void ProbeFightOver(ModuleState& m, std::uint32_t now) noexcept {
  ProbeState& p = m.probe;
  if (!p.fight_open) return;
  EndFight(m, now, "was over");
  // PruneRoster let go every fighter still there and alive.
  Ped winners[kProbeFighters] = {};
  int n = 0;
  for (int i = 0; i < p.fighter_count; ++i) {
    const Ped ped = p.fighters[i].ped;
    if (natives::DoesEntityExist(ped) && !natives::IsPedDeadOrDying(ped, true)) winners[n++] = ped;
  }
  LetGo(m, now, winners, n, true, "at the end of the fight");
  Verdict(m, now, "at the end of a fight");
  Reschedule(p, now);
}

void ProbeGateStretch(ModuleState& m, std::uint32_t since, std::uint32_t now) noexcept {
  ProbeState& p = m.probe;
  if (!p.on) return;
  const std::uint32_t minute = (since - m.log.start_tick) / 60000;
  if (minute != p.gate_minute) TellGateMinute(m, now);
  if (p.tally.stretches == 0 || minute != p.gate_minute) {
    p.gate_minute = minute;
    ++p.tally.stretch_minutes;
  }
  ++p.gate_stretches;
  p.gate_ms += now - since;
  ++p.tally.stretches;
  p.tally.stretch_ms += now - since;
  LogFlush(m.log);
}

void RunProbe(ModuleState& m) noexcept {
  ProbeState& p = m.probe;
  if (!p.on || m.main_loop.sitting_out) return;
  const std::uint32_t now = m.main_loop.last_now;
  try {
    if (p.pad_watch) WatchPad(m, now);
    if (p.next_sample < 2 &&
        static_cast<std::int32_t>(now - (p.start + kProbeSampleMs[p.next_sample])) >= 0) {
      Sample(m, now);
      // A fight whose fighters all fell or went at once let nobody go.
      if (p.fight_open && m.fight.roster.empty()) {
        EndFight(m, now, "was over");
        Verdict(m, now, "at the end of a fight");
      }
    }
    LastLooks(m, now);
  } catch (...) {
  }
  Reschedule(p, now);
}

}  // namespace ruckvale
