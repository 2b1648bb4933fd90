#include "tools/story_record.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "sim/weapon_lookup.h"
#include "tools/story_lines.h"
#include "tools/weapon_odds.h"

namespace ruckvale::tools {

namespace {

StoryEntry Entry(StoryEntry::Kind kind, double time, Ped ped = 0) {
  StoryEntry e;
  e.kind = kind;
  e.time = time;
  e.ped = ped;
  return e;
}

StoryEntry Flagged(StoryEntry::Kind kind, double time, bool flag) {
  StoryEntry e = Entry(kind, time);
  e.flag = flag;
  return e;
}

}  // namespace

void StoryRecorder::OnSceneEvent(double time, const sim::SceneEvent& event, const sim::World& world,
                                 const std::vector<Ped>& fighters,
                                 std::vector<StoryEntry>& out) const {
  const bool fighter = std::find(fighters.begin(), fighters.end(), event.ped) != fighters.end();
  StoryEntry e = Entry(StoryEntry::Death, time, event.ped);
  switch (event.kind) {
    case sim::SceneEvent::Died: {
      const sim::SimPed* by = world.Find(event.by);
      e.flag = fighter;
      e.other = event.by;
      e.word = by == nullptr ? "?" : CategoryText(sim::CategoryOfWeapon(by->current_weapon));
      out.push_back(e);
      break;
    }
    case sim::SceneEvent::Vanished:
      e.kind = StoryEntry::Vanished;
      out.push_back(e);
      break;
    case sim::SceneEvent::WalkedIn: {
      const sim::SimPed* p = world.Find(event.ped);
      e.kind = StoryEntry::WalkedIn;
      e.number = p ? std::hypot(static_cast<double>(p->pos.x), static_cast<double>(p->pos.y)) : 0.0;
      out.push_back(e);
      break;
    }
    case sim::SceneEvent::DroppedOut:
    case sim::SceneEvent::Fled:
      e.kind = event.kind == sim::SceneEvent::Fled ? StoryEntry::Fled : StoryEntry::DroppedOut;
      if (fighter) out.push_back(e);
      break;
    case sim::SceneEvent::LawJoined:
      e.kind = StoryEntry::LawJoined;
      e.other = event.by;
      out.push_back(e);
      break;
    case sim::SceneEvent::CutsceneStart:
    case sim::SceneEvent::CutsceneEnd:
      break;  // the gate's entries come from what the module does
  }
}

void StoryRecorder::OnForeground(double time, bool in_foreground, std::vector<StoryEntry>& out) {
  out.push_back(Flagged(StoryEntry::Foreground, time, in_foreground));
}

void StoryRecorder::OnProbeLines(double time, const std::vector<std::string>& lines,
                                 std::vector<StoryEntry>& out) {
  for (const std::string& line : lines) {
    StoryEntry e = Entry(StoryEntry::Probe, time);
    e.word = line.c_str();
    out.push_back(e);
  }
}

void StoryRecorder::Gate(double time, bool gated, std::vector<StoryEntry>& out) {
  if (gated) {
    if (!gated_) {
      gated_ = true;
      gated_since_ = time;
      gated_passes_ = 0;
      out.push_back(Entry(StoryEntry::GateClosed, time));
    }
    ++gated_passes_;
    return;
  }
  if (!gated_) return;
  gated_ = false;
  StoryEntry e = Entry(StoryEntry::GateOpen, time);
  e.count = gated_passes_;
  e.number = time - gated_since_;
  out.push_back(e);
}

// The pass in the module's order: the timer, the trigger key, the pad
// combination and the toggle key, each with the fight it started; then the
// running fight's supervision.
void StoryRecorder::OnPass(double time, const PassEvents& events, std::vector<StoryEntry>& out) {
  Gate(time, events.gated, out);
  if (events.gated) return;
  if (events.roll) out.push_back(Flagged(StoryEntry::Roll, time, *events.roll));
  bool fight_ran = events.fight_was_running;
  const auto fights = [&](const char* trigger) {
    for (const FightStart& fight : events.starts) {
      if (std::string_view(TriggerText(fight)) != trigger) continue;
      StoryEntry e = Flagged(StoryEntry::Fight, fight.time, fight_ran);
      e.fight = &fight;
      out.push_back(e);
      if (!fight.fighters.empty() || fight.empty_fight) fight_ran = !fight.fighters.empty();
    }
  };
  const auto ignored = [&](StoryEntry::Kind kind, Ignored why) {
    if (why == Ignored::None) return;
    StoryEntry e = Entry(kind, time);
    e.ignored = why;
    out.push_back(e);
  };
  fights("timer");
  ignored(StoryEntry::KeyIgnored, events.key_ignored);
  fights("key");
  ignored(StoryEntry::PadIgnored, events.pad_ignored);
  fights("pad");
  ignored(StoryEntry::ToggleIgnored, events.toggle_ignored);
  if (events.toggled) out.push_back(Flagged(StoryEntry::Toggle, time, *events.toggled));
  ignored(StoryEntry::ReloadIgnored, events.reload_ignored);
  if (events.reloaded) {
    StoryEntry e = Flagged(StoryEntry::Reload, time, events.fight_was_running);
    e.word = events.reload_changes.c_str();
    out.push_back(e);
  }
  for (const RetaskEvent& r : events.retasks) {
    StoryEntry e = Entry(StoryEntry::Retask, time, r.ped);
    e.other = r.target;
    out.push_back(e);
  }
  for (const LeaveEvent& l : events.leaves) {
    StoryEntry e = Entry(StoryEntry::Left, time, l.ped);
    e.leave = l.why;
    out.push_back(e);
  }
  if (events.fight_over) out.push_back(Entry(StoryEntry::FightOver, time));
  if (events.notice) {
    const NoticeEvent& n = *events.notice;
    StoryEntry e = Entry(n.dropped ? StoryEntry::NoticeDropped : StoryEntry::Notice, time);
    e.word = n.text.c_str();
    e.count = n.id;
    e.held = n.held;
    out.push_back(e);
  }
}

}  // namespace ruckvale::tools
