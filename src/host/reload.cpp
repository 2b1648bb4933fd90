#include "host/reload.h"

#include "fight/law.h"
#include "host/module_events.h"
#include "host/natives.h"
#include "probe/probe.h"
#include "settings/load_settings.h"

namespace ruckvale {

namespace {

// A key that changed starts as never seen down: an old latch of that code
// would count a release the module never saw begin.
void FreshLatches(ModuleState& m, const FightSettings& before) {
  const FightSettings& s = m.settings;
  MainLoopState& loop = m.main_loop;
  if (s.key_trigger != before.key_trigger && s.key_trigger >= 0 && s.key_trigger <= 255) {
    loop.key_latch[s.key_trigger] = 0;
  }
  if (s.toggle_key != before.toggle_key) loop.toggle_latch = false;
  if (s.reload_key != before.reload_key) loop.reload_latch = false;
}

bool LogWanted(const FightSettings& s) {
  return s.log || s.probe;
}

}  // namespace

void AskPadControls(ModuleState& m) {
  m.main_loop.pad_hold = 0;
  m.main_loop.pad_press = 0;
  if (!m.settings.HasPadTrigger()) return;
  m.main_loop.pad_hold = natives::GetHashKey(kPadControls[m.settings.pad_hold].input);
  m.main_loop.pad_press = natives::GetHashKey(kPadControls[m.settings.pad_press].input);
}

void ReloadSettings(ModuleState& m, std::uint32_t now) noexcept {
  LogPendingRepeats(m);
  const FightSettings before = m.settings;
  FightSettings fresh;
  const bool have_ini = LoadSettings(fresh);
  m.settings = fresh;
  // The probe's verdict while its log is still open.
  if (before.probe && !fresh.probe) {
    ProbeScriptEnds(m);
    m.probe.on = false;
  }
  const bool opened = !LogOn(m.log) && LogWanted(fresh);
  if (opened) OpenLog(m.log, now);
  LogReload(m, have_ini, before, opened, now);
  if (LogOn(m.log) && !LogWanted(fresh)) {
    LogLine(m.log, now, "log = false: Ruckvale.log ends here");
    CloseLog(m.log);
  }
  FreshLatches(m, before);
  if (fresh.pad_hold != before.pad_hold || fresh.pad_press != before.pad_press) {
    AskPadControls(m);
  }
  m.main_loop.more_inputs = fresh.HasMoreBindings();
  if (fresh.probe && !before.probe) ProbeScriptStart(m, now);
  // The relations follow law_steps_in once the groups exist; until then the
  // first fight sets them as it makes the groups.
  if (fresh.law_steps_in != before.law_steps_in && m.fight.groups.Group1Hash() != 0) {
    SetLawRelations(m.fight.groups, fresh.law_steps_in);
    LogLawRelations(m, now, fresh.law_steps_in);
  }
}

}  // namespace ruckvale
