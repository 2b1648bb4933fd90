#include "tools/pass_decoder.h"

#include <algorithm>
#include <string_view>

#include <cmath>
#include <limits>

#include "fight/law.h"
#include "host/native_list.h"
#include "settings/fight_settings.h"
#include "sim/weapon_lookup.h"

namespace ruckvale::tools {

namespace {

using Calls = std::vector<sim::Call>;

Ped AsPed(std::uint64_t v) {
  return static_cast<Ped>(static_cast<std::uint32_t>(v));
}

using N = NativeHash;

// True when `c` is a call of the native `hash`: natives are told by the
// module's own hash list, never by their names.
bool Is(const sim::Call& c, N hash) {
  return c.kind == sim::CallKind::Native && c.native == static_cast<std::uint64_t>(hash);
}

// The first call of the Windows or hook function `name` at or after `from`,
// or calls.size().
std::size_t Find(const Calls& calls, std::size_t from, std::string_view name) {
  while (from < calls.size() && calls[from].name != name) ++from;
  return from;
}
// The first call of the native `hash` at or after `from`, or calls.size().
std::size_t Find(const Calls& calls, std::size_t from, N hash) {
  while (from < calls.size() && !Is(calls[from], hash)) ++from;
  return from;
}

bool Contains(const std::vector<Ped>& peds, Ped ped) {
  return std::find(peds.begin(), peds.end(), ped) != peds.end();
}

// The text between the first two quotes of `text`.
std::string Unquoted(const std::string& text) {
  const std::size_t a = text.find('"');
  const std::size_t b = text.find('"', a + 1);
  return a == std::string::npos || b == std::string::npos ? text : text.substr(a + 1, b - a - 1);
}

// Reads one fight start: the calls from its GET_PED_NEARBY_PEDS up to the next
// start or the end of the pass.
class StartReader {
 public:
  StartReader(const Calls& calls, std::size_t begin, std::size_t end, const sim::Game& game,
              const FightSettings& settings)
      : calls_(calls),
        begin_(begin),
        end_(end),
        game_(game),
        radius_(settings.fight_radius),
        law_out_(settings.LeavesLawOut()) {}

  // The start; tasks beyond the start's own go to `retasks`.
  FightStart Read(double time, bool by_timer, std::vector<RetaskEvent>& retasks);

 private:
  void ReadList();
  void ReadAnswer(const sim::Call& c);
  void ReadFighterCall(const sim::Call& c);
  void SplitTasks(std::vector<RetaskEvent>& retasks);
  void FillFromWorld();
  void JudgeFighters();
  // A verdict from one answer of the game; the first one about a ped stands.
  void Judge(Ped ped, LeftOut reason);
  FighterInfo* Fighter(Ped ped);

  const Calls& calls_;
  std::size_t begin_, end_;
  const sim::Game& game_;
  float radius_;
  // The module asks a candidate's default group to leave the law out; it
  // also asks it of a fighter it lets go, which says nothing of the draw.
  bool law_out_;
  FightStart fight_;
  Ped player_ = 0;
  Ped mount_ = 0;  // the player's horse, when the module asked
  bool have_player_pos_ = false;
  std::vector<Hash> groups_;  // the fighters' groups, in order of first use
};

FightStart StartReader::Read(double time, bool by_timer, std::vector<RetaskEvent>& retasks) {
  fight_.time = time;
  fight_.by_timer = by_timer;
  player_ = AsPed(calls_[begin_].args.at(0));  // the ped the game lists around
  ReadList();
  for (std::size_t i = begin_; i < end_; ++i) {
    ReadAnswer(calls_[i]);
    ReadFighterCall(calls_[i]);
  }
  for (ListedPed& l : fight_.listed) {
    if (l.reason != LeftOut::None) continue;
    if (l.ped == player_) l.reason = LeftOut::Player;
    if (mount_ != 0 && l.ped == mount_) l.reason = LeftOut::PlayersMount;
  }
  SplitTasks(retasks);
  FillFromWorld();
  JudgeFighters();
  return std::move(fight_);
}

void StartReader::ReadList() {
  const std::size_t at = Find(calls_, begin_, N::GET_PED_NEARBY_PEDS);
  if (at >= end_) return;
  std::vector<Ped> seen;
  for (const Ped p : calls_[at].handles) {
    ListedPed l;
    l.ped = p;
    if (Contains(seen, p)) l.reason = LeftOut::Repeated;
    seen.push_back(p);
    fight_.listed.push_back(l);
  }
}

void StartReader::Judge(Ped ped, LeftOut reason) {
  for (ListedPed& l : fight_.listed) {
    if (l.ped != ped || l.reason == LeftOut::Repeated) continue;
    if (l.reason == LeftOut::None) l.reason = reason;
    return;
  }
}

void StartReader::ReadAnswer(const sim::Call& c) {
  if (c.kind != sim::CallKind::Native || c.args.empty()) return;
  const Ped ped = AsPed(c.args[0]);
  if (Is(c, N::GET_ENTITY_COORDS)) {
    const Vector3 v{c.position[0], c.position[1], c.position[2]};
    if (ped == player_ && !have_player_pos_) {
      fight_.player_pos = v;
      have_player_pos_ = true;
      fight_.filtered = true;
      return;
    }
    for (ListedPed& l : fight_.listed) {
      if (l.ped != ped || l.reason != LeftOut::None) continue;
      l.pos = v;
      l.measured = true;
    }
    if (!InReach(fight_.player_pos, v, radius_)) Judge(ped, LeftOut::TooFar);
  } else if (Is(c, N::DOES_ENTITY_EXIST) && c.result == 0) {
    Judge(ped, LeftOut::NotExisting);
  } else if (Is(c, N::IS_PED_HUMAN) && c.result == 0) {
    Judge(ped, LeftOut::NotHuman);
  } else if (Is(c, N::IS_PED_DEAD_OR_DYING) && c.result != 0) {
    Judge(ped, LeftOut::Dead);
  } else if (Is(c, N::IS_ENTITY_A_MISSION_ENTITY) && c.result != 0) {
    Judge(ped, LeftOut::OtherScript);
  } else if (Is(c, N::GET_PED_RELATIONSHIP_GROUP_DEFAULT_HASH) && law_out_ &&
             IsLawGroup(static_cast<Hash>(c.result))) {
    Judge(ped, LeftOut::Law);
  } else if (Is(c, N::GET_MOUNT) && ped == player_) {
    mount_ = AsPed(c.result);
  } else if (c.result != 0) {
    static const std::pair<N, LeftOut> kHeld[] = {{N::IS_PED_ON_MOUNT, LeftOut::Riding},
                                                  {N::IS_PED_IN_ANY_VEHICLE, LeftOut::InVehicle},
                                                  {N::IS_PED_HOGTIED, LeftOut::Hogtied},
                                                  {N::IS_PED_LASSOED, LeftOut::Lassoed}};
    for (const auto& [hash, reason] : kHeld) {
      if (Is(c, hash)) Judge(ped, reason);
    }
  }
}

FighterInfo* StartReader::Fighter(Ped ped) {
  for (FighterInfo& f : fight_.fighters) {
    if (f.ped == ped) return &f;
  }
  return nullptr;
}

// Preparation makes a ped a mission entity; its weapon, group and line follow.
void StartReader::ReadFighterCall(const sim::Call& c) {
  if (c.kind != sim::CallKind::Native || c.args.empty()) return;
  const Ped ped = AsPed(c.args[0]);
  if (Is(c, N::SET_ENTITY_AS_MISSION_ENTITY) && Fighter(ped) == nullptr) {
    FighterInfo f;
    f.ped = ped;
    f.weapon_name = "unarmed";
    fight_.fighters.push_back(f);
    return;
  }
  FighterInfo* f = Fighter(ped);
  if (f == nullptr) return;
  if (Is(c, N::GIVE_WEAPON_TO_PED)) {
    f->weapon = static_cast<Hash>(c.args[1]);
    f->weapon_name = game_.NameOf(f->weapon);
    f->category = sim::CategoryOfWeapon(f->weapon);
    f->ammo = static_cast<std::int32_t>(static_cast<std::uint32_t>(c.args[2]));
  } else if (Is(c, N::SET_PED_RELATIONSHIP_GROUP_HASH)) {
    const auto group = static_cast<Hash>(c.args[1]);
    auto it = std::find(groups_.begin(), groups_.end(), group);
    if (it == groups_.end()) it = groups_.insert(groups_.end(), group);
    f->group = static_cast<int>(it - groups_.begin()) + 1;
  } else if (Is(c, N::PLAY_PED_AMBIENT_SPEECH_NATIVE) && c.text.size() > 1) {
    f->line = Unquoted(c.text[1]);
  }
}

// A start gives each of its fighters one combat task when there are two or
// more; the tasks after those are supervision's re-tasks.
void StartReader::SplitTasks(std::vector<RetaskEvent>& retasks) {
  const std::size_t n = fight_.fighters.size();
  const std::size_t own = n < 2 ? 0 : n;
  for (std::size_t i = begin_; i < end_; ++i) {
    const sim::Call& c = calls_[i];
    if (!Is(c, N::TASK_COMBAT_PED)) continue;
    const Ped who = AsPed(c.args[0]), whom = AsPed(c.args[1]);
    if (fight_.tasks.size() < own) {
      fight_.tasks.emplace_back(who, whom);
    } else {
      retasks.push_back({who, whom});
    }
  }
}

// What the game holds of the listed peds and of those it did not list.
void StartReader::FillFromWorld() {
  const sim::World& world = game_.world;
  for (ListedPed& l : fight_.listed) {
    const sim::SimPed* p = world.Find(l.ped);
    if (p == nullptr) continue;
    // The module read positions only of the peds it measured; the others
    // stand where the world has them.
    if (!l.measured) l.pos = p->pos;
    l.human = p->species == sim::Species::Human;
    l.exists = p->exists;
  }
  if (!have_player_pos_) {
    if (const sim::SimPed* p = world.Find(player_)) fight_.player_pos = p->pos;
  }
  for (const sim::SimPed& p : world.peds) {
    if (p.handle == player_ || !p.exists) continue;
    const bool listed = std::any_of(fight_.listed.begin(), fight_.listed.end(),
                                    [&](const ListedPed& l) { return l.ped == p.handle; });
    if (!listed) fight_.unlisted.push_back({p.handle, p.pos, p.species == sim::Species::Human});
  }
}

// What the world says of each fighter right after its start.
void StartReader::JudgeFighters() {
  const sim::World& world = game_.world;
  for (FighterInfo& f : fight_.fighters) {
    const sim::SimPed* p = world.Find(f.ped);
    if (p == nullptr) continue;
    const std::optional<WeaponCategory> held = sim::CategoryOfWeapon(p->off_hand_weapon);
    f.off_hand = held && *held != WeaponCategory::Melee && *held != WeaponCategory::Throwable;
    f.from_story = p->taken_from_story;
    f.corpse = p->life != sim::Life::Alive;
    f.held = p->handle == world.player_mount ? LeftOut::PlayersMount
             : p->on_mount                   ? LeftOut::Riding
             : p->in_vehicle                 ? LeftOut::InVehicle
             : p->hogtied                    ? LeftOut::Hogtied
             : p->lassoed                    ? LeftOut::Lassoed
                                             : LeftOut::None;
    const bool close_quarters = !f.category || *f.category == WeaponCategory::Melee;
    f.melee_at_range = close_quarters && p->combat_range != 0;
    f.lawman = IsLawGroup(sim::World::DefaultGroup(*p));
  }
  if (groups_.size() < 2) return;
  const auto level = [&world](Hash a, Hash b) {
    const auto it = world.relations.find({a, b});
    return it == world.relations.end() ? -1 : it->second;
  };
  fight_.groups_hate = level(groups_[0], groups_[1]) == sim::kRelationshipHate &&
                       level(groups_[1], groups_[0]) == sim::kRelationshipHate;
}

// The module asks for the foreground only when it finds the key released; a
// denial (no window, or another process's) means it let the release go.
bool ForegroundDenied(const Calls& calls, std::size_t from) {
  const std::size_t window = Find(calls, from, "GetForegroundWindow");
  if (window == calls.size()) return false;
  if (calls[window].result == 0) return true;
  const std::size_t owner = Find(calls, window, "GetWindowThreadProcessId");
  const std::size_t self = Find(calls, window, "GetCurrentProcessId");
  if (owner == calls.size() || self == calls.size() || calls[owner].handles.empty()) return true;
  return static_cast<std::uint32_t>(calls[owner].handles[0]) != calls[self].result;
}

}  // namespace

const char* LeftOutText(LeftOut reason) {
  switch (reason) {
    case LeftOut::None:
      return "candidate";
    case LeftOut::NotExisting:
      return "not existing";
    case LeftOut::Player:
      return "the player";
    case LeftOut::NotHuman:
      return "not human";
    case LeftOut::TooFar:
      return "too far";
    case LeftOut::Dead:
      return "dead";
    case LeftOut::OtherScript:
      return "kept by another script";
    case LeftOut::Repeated:
      return "listed twice";
    case LeftOut::PlayersMount:
      return "the player's horse";
    case LeftOut::Riding:
      return "riding";
    case LeftOut::InVehicle:
      return "in a vehicle";
    case LeftOut::Hogtied:
      return "hogtied";
    case LeftOut::Lassoed:
      return "lassoed";
    case LeftOut::Law:
      return "the law";
  }
  return "";
}

bool RollDue(bool rolled_before, std::uint32_t last_roll, std::uint32_t now,
             std::int32_t fight_timer) {
  const std::int64_t period = std::clamp<std::int64_t>(std::int64_t{fight_timer} * 1000,
                                                       std::numeric_limits<std::int32_t>::min(),
                                                       std::numeric_limits<std::int32_t>::max());
  std::int64_t since = now;
  if (rolled_before) {
    const std::uint32_t diff = now - last_roll;
    since = diff >= 0x80000000u ? std::int64_t{diff} - 0x100000000ll : std::int64_t{diff};
  }
  return since >= period;
}

bool InReach(const Vector3& player, const Vector3& ped, float radius) {
  const float dx = ped.x - player.x, dy = ped.y - player.y, dz = ped.z - player.z;
  const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
  return !(distance > radius);  // not greater: a NaN on either side lets the ped in
}

PassEvents PassDecoder::Decode(double time, const Calls& calls, const sim::Game& game) {
  PassEvents events;
  events.fight_was_running = !roster_.empty();
  const std::size_t gate = Find(calls, 0, N::GET_PED_RESET_FLAG);
  if (gate == calls.size()) return events;
  // Calls before the gate are a start-up, which begins with no fight.
  events.start_up = gate > 0;
  if (events.start_up) {
    roster_.clear();
    enabled_ = settings_.start_enabled;
    toggle_down_ = false;
    reload_down_ = false;
  }
  if (events.start_up) {
    const std::size_t tick = Find(calls, 0, "GetTickCount");
    if (tick < gate) QueueNotice("start", static_cast<std::uint32_t>(calls[tick].result));
  }
  events.gated = calls[gate].result != 0;
  if (events.gated) {
    sat_out_ = true;
    if (notice_ != nullptr) notice_held_ = NoticeHold::SatOut;
    return events;
  }
  // The timer, the key and the pad follow the switch as the pass found it; a
  // toggle, weighed last, switches it for the passes after.
  const bool on = enabled_;
  const Marks marks = MarksOf(calls, gate);
  events.strange_key = StrangeKey(calls, marks.tick);
  std::vector<std::size_t> starts;
  for (std::size_t i = gate; i < calls.size(); ++i) {
    // Each start asks the game once for the peds around the player.
    if (Is(calls[i], N::GET_PED_NEARBY_PEDS)) starts.push_back(i);
  }
  if (on && marks.tick < calls.size()) {
    DecodeRoll(static_cast<std::uint32_t>(calls[marks.tick].result),
               !starts.empty() && starts[0] < marks.key, events);
  }
  DecodeKey(calls, marks.key, on, events);
  const auto after = [&starts](std::size_t from, std::size_t to) {
    return std::find_if(starts.begin(), starts.end(),
                        [&](std::size_t s) { return s > from && s < to; });
  };
  const auto pad_start = after(marks.pad, calls.size());
  DecodePad(
      calls, marks, on, after(marks.key, marks.pad) != starts.end(),
      std::min({pad_start == starts.end() ? calls.size() : *pad_start, marks.toggle, marks.reload}),
      events);
  DecodeToggle(calls, marks.toggle, events);
  DecodeReload(calls, marks.reload, events);
  sat_out_ = false;
  if (marks.tick < calls.size()) {
    const auto now = static_cast<std::uint32_t>(calls[marks.tick].result);
    if (events.toggled) QueueNotice(*events.toggled ? "on" : "off", now);
    DecodeNotice(calls, now, events);
    pass_tick_ = now;
    pass_posted_ = events.notice && !events.notice->dropped;
  }
  DecodeStarts(time, calls, marks, starts, game, events);
  for (const sim::Call& c : calls) events.released += Is(c, N::SET_ENTITY_AS_NO_LONGER_NEEDED);
  DecodeLeaves(calls, starts.empty() ? gate : starts.back(), events);
  return events;
}

void PassDecoder::DecodeStarts(double time, const Calls& calls, const Marks& marks,
                               const std::vector<std::size_t>& starts, const sim::Game& game,
                               PassEvents& events) {
  for (std::size_t i = marks.tick; i < (starts.empty() ? calls.size() : starts[0]); ++i) {
    const sim::Call& c = calls[i];
    if (Is(c, N::TASK_COMBAT_PED)) events.retasks.push_back({AsPed(c.args[0]), AsPed(c.args[1])});
  }
  for (std::size_t s = 0; s < starts.size(); ++s) {
    const std::size_t end = s + 1 < starts.size() ? starts[s + 1] : calls.size();
    StartReader reader(calls, starts[s], end, game, settings_);
    FightStart fight = reader.Read(time, starts[s] < marks.key, events.retasks);
    fight.by_pad = marks.pad < calls.size() && starts[s] > marks.pad;
    fight.empty_fight = fight.filtered && settings_.fight_group_size == 0;
    if (!fight.fighters.empty() || fight.empty_fight) {
      roster_.clear();
      for (const FighterInfo& f : fight.fighters) roster_.push_back(f.ped);
    }
    events.starts.push_back(std::move(fight));
  }
}

namespace {

bool IsPollOf(const sim::Call& c, std::int32_t code) {
  return c.name == "GetAsyncKeyState" && static_cast<std::int32_t>(c.args.at(0)) == code;
}

bool PollDown(const sim::Call& c) {
  return (c.result & 0x8000u) != 0;
}

bool IsModifier(std::int32_t code) {
  return code == kVirtualKeyShift || code == kVirtualKeyControl || code == kVirtualKeyAlt;
}

// How the module weighed a release polled at `at`: the modifiers it asked
// right after, then the foreground. `own` is the binding's modifier (0:
// none); `shared` when the other binding is on the same key, with
// `other` its modifier.
struct Release {
  bool weighed = false;  // the module asked Windows about it: it saw a release
  Ignored why = Ignored::None;
  bool went_up = false;  // the poll found the key up after one that found it down
};

Release ReadRelease(const Calls& calls, std::size_t at, std::int32_t own, bool shared,
                    std::int32_t other) {
  std::optional<bool> own_down, other_down;
  std::size_t i = at + 1;
  for (; i < calls.size() && calls[i].name == "GetAsyncKeyState"; ++i) {
    const auto code = static_cast<std::int32_t>(calls[i].args.at(0));
    if (!IsModifier(code)) break;
    if (code == own) own_down = PollDown(calls[i]);
    if (code == other) other_down = PollDown(calls[i]);
  }
  const bool window = i < calls.size() && calls[i].name == "GetForegroundWindow";
  Release r;
  r.weighed = i > at + 1 || window;
  if (own != 0 && own_down == false) {
    // With the other binding plain, or its modifier down, the release is its.
    r.why =
        shared && (other == 0 || other_down == true) ? Ignored::OtherBinding : Ignored::ModifierUp;
  } else if (own == 0 && shared && other != 0 && other_down == true) {
    r.why = Ignored::OtherBinding;
  } else if (window && ForegroundDenied(calls, i)) {
    r.why = Ignored::Background;
  }
  return r;
}

// The poll of a key at `at`, with `down` its state at the last poll (kept
// up to date): whether it went up since, and how the module weighed it.
// `own` and `other` are the modifiers of the binding polled and of the other
// binding, which matters when both are on one key.
Release ReadPoll(const Calls& calls, std::size_t at, bool& down, std::int32_t own,
                 std::int32_t other, bool shared) {
  const bool now_down = PollDown(calls[at]);
  Release r = ReadRelease(calls, at, own, shared, other);
  r.went_up = down && !now_down;
  down = now_down;
  return r;
}

// A modifier found up on the first pass after the reset flag's stretch was
// let go during it: the release was the player's, in the sit-out.
Ignored AfterSitOut(Ignored why, bool sat_out) {
  return sat_out && why == Ignored::ModifierUp ? Ignored::SitOut : why;
}

}  // namespace

PassDecoder::Marks PassDecoder::MarksOf(const Calls& calls, std::size_t gate) const {
  Marks m{};
  m.tick = Find(calls, gate, "GetTickCount");
  m.key = m.tick;
  while (m.key < calls.size() && !IsPollOf(calls[m.key], settings_.key_trigger)) ++m.key;
  // Only the pad trigger asks the pad natives.
  m.pad = Find(calls, std::min(m.key, m.tick), N::IS_DISABLED_CONTROL_PRESSED);
  // The toggle key and then the reload key are polled last of the inputs:
  // the reload key's last poll in the pass, and the toggle's before it.
  m.toggle = calls.size();
  m.reload = calls.size();
  const std::size_t from =
      std::max(m.key < calls.size() ? m.key + 1 : m.tick, m.pad < calls.size() ? m.pad : m.tick);
  for (std::size_t i = from; settings_.reload_key >= 0 && i < calls.size(); ++i) {
    if (IsPollOf(calls[i], settings_.reload_key)) m.reload = i;
  }
  for (std::size_t i = from; settings_.toggle_key >= 0 && i < m.reload; ++i) {
    if (IsPollOf(calls[i], settings_.toggle_key)) m.toggle = i;
  }
  return m;
}

// A release is the key found up after a poll found it down. The module weighs
// it (asks for its modifier or the foreground) only while switched on.
void PassDecoder::DecodeKey(const Calls& calls, std::size_t key, bool on, PassEvents& events) {
  if (key >= calls.size()) return;
  const FightSettings& s = settings_;
  const Release r = ReadPoll(calls, key, key_down_, s.key_trigger_modifier, s.toggle_key_modifier,
                             s.toggle_key == s.key_trigger);
  if (!r.weighed && !r.went_up) return;
  // Whose release it was is weighed before the switch; after a sit-out a key
  // the toggle shares with another modifier counts for neither.
  const bool shared_apart =
      s.toggle_key == s.key_trigger && s.toggle_key_modifier != s.key_trigger_modifier;
  if (shared_apart && sat_out_) {
    events.key_ignored = Ignored::SitOut;
  } else if (r.why == Ignored::OtherBinding) {
    events.key_ignored = r.why;
  } else if (!on) {
    events.key_ignored = Ignored::Off;
  } else if (r.weighed) {
    events.key_ignored = AfterSitOut(r.why, sat_out_);
  } else if (sat_out_) {
    events.key_ignored = Ignored::SitOut;
  }
}

// The pad combination is released when the hold control is down and the
// other has just gone up. The pad's calls run from its first native to `end`
// (its fight start, the toggle's poll or the end of the pass).
void PassDecoder::DecodePad(const Calls& calls, const Marks& marks, bool on, bool key_started,
                            std::size_t end, PassEvents& events) const {
  if (marks.pad >= end || calls[marks.pad].result == 0) return;
  const auto in_pad = [&](auto what) {
    const std::size_t at = Find(calls, marks.pad, what);
    return at < end ? at : calls.size();
  };
  const std::size_t released = in_pad(N::IS_DISABLED_CONTROL_JUST_RELEASED);
  if (released == calls.size() || calls[released].result == 0) return;
  const std::size_t keyboard = in_pad(N::IS_USING_KEYBOARD_AND_MOUSE);
  const std::size_t window = in_pad(std::string_view("GetForegroundWindow"));
  const bool pad_started = end < calls.size() && Is(calls[end], N::GET_PED_NEARBY_PEDS);
  if (!on) {
    events.pad_ignored = Ignored::Off;
  } else if (keyboard < calls.size() && calls[keyboard].result != 0) {
    events.pad_ignored = Ignored::Keyboard;
  } else if (window < calls.size() && ForegroundDenied(calls, window)) {
    events.pad_ignored = Ignored::Background;
  } else if (!pad_started && key_started) {
    events.pad_ignored = Ignored::KeyFight;
  }
}

std::optional<std::int32_t> PassDecoder::StrangeKey(const Calls& calls, std::size_t from) const {
  const FightSettings& s = settings_;
  for (std::size_t i = from; i < calls.size(); ++i) {
    if (calls[i].name != "GetAsyncKeyState") continue;
    const auto code = static_cast<std::int32_t>(calls[i].args.at(0));
    if (code != s.key_trigger && code != s.key_trigger_modifier && code != s.toggle_key &&
        code != s.toggle_key_modifier && code != s.reload_key && code != s.reload_key_modifier) {
      return code;
    }
  }
  return std::nullopt;
}

namespace {

// A release the module weighs whether the triggers are on or off (the
// toggle's, the reload key's): true when it counted; otherwise `ignored`
// says why it was let go, if a release was seen at all.
bool Counted(const Release& r, bool sat_out, Ignored& ignored) {
  if (!r.weighed) {
    if (r.went_up && sat_out) ignored = Ignored::SitOut;
    return false;
  }
  if (r.why != Ignored::None) {
    ignored = AfterSitOut(r.why, sat_out);
    return false;
  }
  return true;
}

}  // namespace

// The module weighs a toggle release whether the triggers are on or off; one
// it lets go leaves the switch as it was.
void PassDecoder::DecodeToggle(const Calls& calls, std::size_t poll, PassEvents& events) {
  if (poll >= calls.size()) return;
  const FightSettings& s = settings_;
  const Release r = ReadPoll(calls, poll, toggle_down_, s.toggle_key_modifier,
                             s.key_trigger_modifier, s.toggle_key == s.key_trigger);
  if (!Counted(r, sat_out_, events.toggle_ignored)) return;
  enabled_ = !enabled_;
  events.toggled = enabled_;
}

// The reload key shares its key with no other binding as far as the module
// goes.
void PassDecoder::DecodeReload(const Calls& calls, std::size_t poll, PassEvents& events) {
  if (poll >= calls.size()) return;
  const std::int32_t own = settings_.reload_key_modifier;
  const Release r = ReadPoll(calls, poll, reload_down_, own, own, false);
  events.reloaded = Counted(r, sat_out_, events.reload_ignored);
}

void PassDecoder::Reload(const FightSettings& settings) {
  const FightSettings before = settings_;
  settings_ = settings;
  if (settings.key_trigger != before.key_trigger) key_down_ = false;
  if (settings.toggle_key != before.toggle_key) toggle_down_ = false;
  if (settings.reload_key != before.reload_key) reload_down_ = false;
  // The reload's notice, unless its own pass posted it; none at all with notify off.
  notice_ = nullptr;
  if (!pass_posted_) QueueNotice("reload", pass_tick_);
}

void PassDecoder::DecodeRoll(std::uint32_t now, bool hit, PassEvents& events) {
  if (!hit && !RollDue(rolled_, last_roll_, now, settings_.fight_timer)) return;
  last_roll_ = now;
  rolled_ = true;
  events.roll = hit;
}

// After the last fight start, a fighter the game says is gone leaves the
// roster, and so does one the module released: dead, or let go with its
// events unblocked first when its side has won.
void PassDecoder::DecodeLeaves(const Calls& calls, std::size_t from, PassEvents& events) {
  std::vector<Ped> gone, released, unblocked;
  for (std::size_t i = from; i < calls.size(); ++i) {
    const sim::Call& c = calls[i];
    if (Is(c, N::DOES_ENTITY_EXIST) && c.result == 0) gone.push_back(AsPed(c.args[0]));
    if (Is(c, N::SET_BLOCKING_OF_NON_TEMPORARY_EVENTS) && c.args.size() > 1 &&
        static_cast<std::uint32_t>(c.args[1]) == 0) {
      unblocked.push_back(AsPed(c.args[0]));
    }
    if (Is(c, N::SET_ENTITY_AS_NO_LONGER_NEEDED) && !c.handles.empty()) {
      released.push_back(c.handles[0]);
    }
  }
  std::size_t kept = 0;
  bool won = false;
  for (const Ped r : roster_) {
    if (Contains(gone, r)) {
      events.leaves.push_back({r, LeaveEvent::Gone});
    } else if (Contains(released, r)) {
      const bool let_go = Contains(unblocked, r);
      won = won || let_go;
      events.leaves.push_back({r, let_go ? LeaveEvent::Won : LeaveEvent::Dead});
    } else {
      roster_[kept++] = r;
    }
  }
  roster_.resize(kept);
  events.fight_over = won && roster_.empty();
}

namespace {

// Whether one of the game's help-guard questions refuses, and why; None for
// any other call or an answer that lets the notice through.
NoticeHold GuardRefusal(const sim::Call& c) {
  const auto answer = static_cast<std::int32_t>(static_cast<std::uint32_t>(c.result));
  if (Is(c, N::UI_FEED_GET_MESSAGE_STATE) && answer <= 4) return NoticeHold::HelpCurrent;
  if (Is(c, N::GET_HUD_VISIBILITY_SLOT_STATE) && answer == 2) return NoticeHold::HelpHidden;
  if (Is(c, N::IS_SCREEN_FADED_IN) && answer == 0) return NoticeHold::NotFadedIn;
  if (Is(c, N::IS_PAUSE_MENU_ACTIVE) && answer != 0) return NoticeHold::PauseMenu;
  if (Is(c, N::IS_HUD_HIDDEN) && answer != 0) return NoticeHold::HudHidden;
  return NoticeHold::None;
}

}  // namespace

void PassDecoder::QueueNotice(const char* what, std::uint32_t now) {
  if (!settings_.notify) return;
  notice_ = what;
  notice_since_ = now;
  notice_held_ = NoticeHold::None;
}

void PassDecoder::DecodeNotice(const Calls& calls, std::uint32_t now, PassEvents& events) {
  const std::size_t post = Find(calls, 0, N::UI_FEED_POST_HELP_TEXT);
  if (post < calls.size()) {
    NoticeEvent e;
    const std::size_t made = Find(calls, 0, N::VAR_STRING);
    if (made < calls.size() && calls[made].text.size() > 2) e.text = Unquoted(calls[made].text[2]);
    e.id = static_cast<std::int32_t>(static_cast<std::uint32_t>(calls[post].result));
    events.notice = e;
    notice_ = nullptr;
    return;
  }
  if (notice_ == nullptr) return;
  if (static_cast<std::int32_t>(now - notice_since_) >= 10000) {
    events.notice = NoticeEvent{true, notice_, 0, notice_held_};
    notice_ = nullptr;
    return;
  }
  for (const sim::Call& c : calls) {
    if (const NoticeHold why = GuardRefusal(c); why != NoticeHold::None) notice_held_ = why;
  }
}

}  // namespace ruckvale::tools
