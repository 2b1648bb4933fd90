#include "host/notice.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "host/module_state.h"
#include "host/natives.h"
#include "settings/ini_line_text.h"

namespace ruckvale {

namespace {

// VAR_STRING's flag word: two bits per argument after the first, 2 a string:
// a label, then one string.
constexpr int kVarStringLabelAndString = 10;
constexpr char kLiteralStringLabel[] = "LITERAL_STRING";
// The help feed, its "showing" state and the hidden state of a HUD slot, as
// the game's help guard reads them.
constexpr int kHelpFeed = 1;
constexpr int kMessageShowing = 4;
constexpr int kHelpVisibilitySlot = 5;
constexpr int kSlotHidden = 2;

// The start's line: the version and how to start a fight, or, with the
// triggers off, how to switch them on. Start-up only: it allocates.
void WriteStartText(const FightSettings& s, char* out) noexcept {
  constexpr auto n = static_cast<std::size_t>(kNoticeTextBytes);
  try {
    const std::string key = KeyBindingText(s.key_trigger, s.key_trigger_modifier);
    if (!s.start_enabled && s.toggle_key >= 0) {
      std::snprintf(out, n, "Ruckvale %s is off: release %s to switch it on", RUCKVALE_VERSION,
                    KeyBindingText(s.toggle_key, s.toggle_key_modifier).c_str());
    } else if (!s.start_enabled) {
      std::snprintf(out, n, "Ruckvale %s is off (start_enabled=false)", RUCKVALE_VERSION);
    } else if (s.HasPadTrigger()) {
      std::snprintf(out, n, "Ruckvale %s: release %s or %s+%s to start a fight", RUCKVALE_VERSION,
                    key.c_str(), kPadControls[s.pad_hold].name, kPadControls[s.pad_press].name);
    } else {
      std::snprintf(out, n, "Ruckvale %s: release %s to start a fight", RUCKVALE_VERSION,
                    key.c_str());
    }
  } catch (...) {
    std::snprintf(out, n, "Ruckvale %s", RUCKVALE_VERSION);
  }
}

// The game's own test before it shows help: the first reason it refuses.
NoticeHold AskHelpGuard() {
  const int current = natives::UiFeedGetCurrentMessage(kHelpFeed);
  if (current != 0 && natives::UiFeedGetMessageState(current) <= kMessageShowing) {
    return NoticeHold::HelpCurrent;
  }
  if (natives::GetHudVisibilitySlotState(kHelpVisibilitySlot) == kSlotHidden) {
    return NoticeHold::HelpHidden;
  }
  if (!natives::IsScreenFadedIn()) return NoticeHold::NotFadedIn;
  if (natives::IsPauseMenuActive()) return NoticeHold::PauseMenu;
  if (natives::IsHudHidden()) return NoticeHold::HudHidden;
  return NoticeHold::None;
}

// Posts the notice with freshly zeroed blocks. The game's text buffer is
// handed on at once and cleared from the kept block after the post.
void PostNotice(ModuleState& m, std::uint32_t now) {
  NoticeState& n = m.notice;
  n.pending = false;
  std::fill(std::begin(n.block_a), std::end(n.block_a), 0u);
  std::fill(std::begin(n.block_b), std::end(n.block_b), 0u);
  n.block_a[0] = kNoticeShowMs;
  const char* shown = natives::VarString(kVarStringLabelAndString, kLiteralStringLabel, n.text);
  if (shown == nullptr) {
    LogLine(m.log, now, "notice '%s' not posted: VAR_STRING gave no text", n.text);
    LogFlush(m.log);
    return;
  }
  n.block_b[1] = reinterpret_cast<std::uintptr_t>(shown);
  const int id = natives::UiFeedPostHelpText(n.block_a, n.block_b, true);
  n.block_b[1] = 0;
  if (id == 0) {
    LogLine(m.log, now, "notice '%s' refused by the game (id 0)", n.text);
  } else {
    LogLine(m.log, now, "notice '%s' posted (id %d)", n.text, id);
  }
  LogFlush(m.log);
}

}  // namespace

const char* NoticeHoldText(NoticeHold hold) {
  switch (hold) {
    case NoticeHold::None:
      break;
    case NoticeHold::HelpCurrent:
      return "a help message was current";
    case NoticeHold::HelpHidden:
      return "the help slot was hidden";
    case NoticeHold::NotFadedIn:
      return "the screen was not faded in";
    case NoticeHold::PauseMenu:
      return "the pause menu was open";
    case NoticeHold::HudHidden:
      return "the HUD was hidden";
    case NoticeHold::SatOut:
      return "Ruckvale sat out: the game set reset flag 187";
  }
  return "no pass came in time";
}

void QueueNotice(ModuleState& m, NoticeKind kind, std::uint32_t now) noexcept {
  if (!m.settings.notify) return;
  NoticeState& n = m.notice;
  const char* text = "Ruckvale.ini reloaded";
  if (kind == NoticeKind::Off) text = "Ruckvale off";
  if (kind == NoticeKind::On) text = "Ruckvale on";
  // Told before the start text is written: the waiting one may be the last
  // start's, in the same buffer.
  if (n.pending) {
    LogLine(m.log, now, "notice '%s' replaced by a newer one before it was shown", n.text);
    LogFlush(m.log);
  }
  if (kind == NoticeKind::Start) {
    WriteStartText(m.settings, n.start_text);
    text = n.start_text;
  }
  n.text = text;
  n.queued = now;
  n.held = NoticeHold::None;
  n.pending = true;
}

void StepNotice(ModuleState& m) noexcept {
  NoticeState& n = m.notice;
  if (!m.settings.notify) {  // a reload switched notices off
    n.pending = false;
    LogLine(m.log, m.main_loop.last_now, "notice '%s' dropped: notify is now false", n.text);
    LogFlush(m.log);
    return;
  }
  if (m.main_loop.sitting_out) {
    n.held = NoticeHold::SatOut;
    return;
  }
  const std::uint32_t now = m.main_loop.last_now;
  if (static_cast<std::int32_t>(now - n.queued) >= kNoticeWaitMs) {
    n.pending = false;
    LogLine(m.log, now, "notice '%s' dropped: not shown within 10 s (%s)", n.text,
            NoticeHoldText(n.held));
    LogFlush(m.log);
    return;
  }
  n.held = AskHelpGuard();
  if (n.held == NoticeHold::None) PostNotice(m, now);
}

}  // namespace ruckvale
