// Notices (notify=true): the game's help guard, the 10 s limit, the blocks
// handed to the game, a newer notice in place of a waiting one, the start's text.
#include <gtest/gtest.h>

#include <cstring>

#include "host/module_state.h"
#include "host/notice.h"
#include "module_fixture.h"

namespace ruckvale {
namespace {

using testing_support::ModuleTest;
using testing_support::Pass;

constexpr std::uint32_t kStart = 50000;

class NoticeTest : public ModuleTest {
 protected:
  void StartAt(const std::string& ini, std::uint32_t tick = kStart) {
    world().tick = tick;
    Start(ini);
  }
  static int Posts(const Pass& pass) { return Count(pass, "UI_FEED_POST_HELP_TEXT"); }
  // The text of the pass's VAR_STRING, without its quotes ("" when none).
  static std::string Posted(const Pass& pass) {
    const auto made = Only(pass, "VAR_STRING");
    if (made.empty()) return "";
    const std::string& quoted = made[0]->text[2];
    return quoted.substr(1, quoted.size() - 2);
  }
};

// Each reason of the game's guard holds the start's notice back, in the
// guard's order, asking nothing after it; once it clears the notice is posted.
TEST_F(NoticeTest, TheHelpGuardHoldsANoticeBack) {
  struct Case {
    void (*set)(sim::Screen&, bool on);
    NoticeHold held;
    const char* last_asked;
  };
  const Case cases[] = {
      {[](sim::Screen& s, bool on) {
         s.notices.clear();
         if (on) s.notices.push_back({kStart, "the game's own help", 7, 5000});
       },
       NoticeHold::HelpCurrent, "UI_FEED_GET_MESSAGE_STATE"},
      {[](sim::Screen& s, bool on) { s.help_slot_state = on ? 2 : 1; }, NoticeHold::HelpHidden,
       "GET_HUD_VISIBILITY_SLOT_STATE"},
      {[](sim::Screen& s, bool on) { s.faded_in = !on; }, NoticeHold::NotFadedIn,
       "IS_SCREEN_FADED_IN"},
      {[](sim::Screen& s, bool on) { s.pause_menu = on; }, NoticeHold::PauseMenu,
       "IS_PAUSE_MENU_ACTIVE"},
      {[](sim::Screen& s, bool on) { s.hud_hidden = on; }, NoticeHold::HudHidden, "IS_HUD_HIDDEN"},
  };
  for (const Case& c : cases) {
    world().screen = {};
    c.set(world().screen, true);
    StartAt("notify=true\n");
    const Pass held = RunPass();
    EXPECT_EQ(Posts(held), 0) << c.last_asked;
    EXPECT_EQ(Names(held)[Names(held).size() - 2], c.last_asked);
    EXPECT_EQ(Module().notice.held, c.held) << c.last_asked;
    c.set(world().screen, false);
    EXPECT_EQ(Posts(RunPass()), 1) << c.last_asked;
    EXPECT_FALSE(Module().notice.pending) << c.last_asked;
  }
}

// A current message the game reports past showing (state 5) holds nothing back.
TEST_F(NoticeTest, AMessagePastShowingHoldsNothingBack) {
  game().answer_override = [](NativeHash hash, const sim::Call&, std::uint64_t* slots) {
    if (hash == NativeHash::UI_FEED_GET_CURRENT_MESSAGE) slots[0] = 7;
    if (hash == NativeHash::UI_FEED_GET_MESSAGE_STATE) slots[0] = 5;
    return hash == NativeHash::UI_FEED_GET_CURRENT_MESSAGE ||
           hash == NativeHash::UI_FEED_GET_MESSAGE_STATE;
  };
  StartAt("notify=true\n");
  EXPECT_EQ(Posts(RunPass()), 1);
}

// Shown up to 9.999 s after it was queued; at 10 s it is dropped, shown or
// not. A pass the reset flag gates tries nothing, but the time runs on.
TEST_F(NoticeTest, ANoticeNotShownWithin10sIsDropped) {
  struct Case {
    std::uint32_t after_ms;
    bool pause_menu;
    bool gated;
    int natives;  // besides the gate's
    bool pending;
  };
  const Case cases[] = {
      {9999, true, false, 4, true},     // the guard up to the pause menu
      {9999, false, false, 7, false},   // all of it, VAR_STRING and the post
      {10000, false, false, 0, false},  // dropped, though the guard would allow it
      {10000, true, false, 0, false},   // dropped
      {5000, false, true, 0, true},     // gated: waits
  };
  for (const Case& c : cases) {
    world().screen = {};
    world().screen.pause_menu = true;
    StartAt("notify=true\n", 0xFFFFF000u);  // across the tick's wrap
    RunPass(0);
    world().screen.pause_menu = c.pause_menu;
    world().reset_flag = c.gated;
    const Pass pass = RunPassAt(0xFFFFF000u + c.after_ms);
    world().reset_flag = false;
    int natives = 0;
    for (const sim::Call* call : pass) natives += call->kind == sim::CallKind::Native ? 1 : 0;
    EXPECT_EQ(natives - 1, c.natives) << c.after_ms;
    EXPECT_EQ(Module().notice.pending, c.pending) << c.after_ms;
  }
}

// The first block holds the duration and zeros, slots beyond the game's
// included; the second block keeps no pointer to the game's text after the post.
TEST_F(NoticeTest, TheBlocksAreZeroedAroundTheDurationAndText) {
  world().screen.hud_hidden = true;
  StartAt("notify=true\n");
  RunPass();
  std::memset(Module().notice.block_a, 0xA5, sizeof Module().notice.block_a);
  std::memset(Module().notice.block_b, 0xA5, sizeof Module().notice.block_b);
  // The game reads 13 and 2 slots: junk beyond them must go too.
  world().screen.hud_hidden = false;
  const Pass pass = RunPass();
  ASSERT_EQ(Posts(pass), 1);
  const sim::Call& post = *Only(pass, "UI_FEED_POST_HELP_TEXT")[0];
  EXPECT_EQ(post.args[0], reinterpret_cast<std::uintptr_t>(Module().notice.block_a));
  EXPECT_EQ(post.args[2], 1u);
  EXPECT_EQ(Module().notice.block_a[0], 3000u);
  for (int i = 1; i < 16; ++i) EXPECT_EQ(Module().notice.block_a[i], 0u) << "slot " << i;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Module().notice.block_b[i], 0u) << "slot " << i;
}

// A newer notice replaces one still waiting; notify off queues none.
TEST_F(NoticeTest, ANewerNoticeReplacesAWaitingOne) {
  world().screen.hud_hidden = true;
  StartAt("notify=true\n");
  RunPass();
  QueueNotice(Module(), NoticeKind::Off, world().tick);
  QueueNotice(Module(), NoticeKind::Reloaded, world().tick);
  world().screen.hud_hidden = false;
  const Pass pass = RunPass();
  EXPECT_EQ(Posts(pass), 1);
  EXPECT_EQ(Posted(pass), "Ruckvale.ini reloaded");
  EXPECT_EQ(Posts(RunPass(4000)), 0);
  Module().settings.notify = false;
  QueueNotice(Module(), NoticeKind::On, world().tick);
  EXPECT_FALSE(Module().notice.pending);
}

// The start's text names the keys as the ini writes them, after the version.
TEST_F(NoticeTest, TheStartTextNamesTheKeysInForce) {
  struct Case {
    const char* ini;
    const char* after_version;
  };
  const Case cases[] = {
      {"", ": release F12 to start a fight"},
      {"key_trigger=Ctrl+F9\npad_trigger=RB+DPAD_DOWN\n",
       ": release Ctrl+F9 or RB+DPAD_DOWN to start a fight"},
      {"start_enabled=false\ntoggle_key=Shift+T\n", " is off: release Shift+T to switch it on"},
      {"start_enabled=false\n", " is off (start_enabled=false)"},
  };
  for (const Case& c : cases) {
    world().screen = {};
    StartAt(std::string("notify=true\n") + c.ini);
    const std::string text = Posted(RunPass());
    ASSERT_EQ(text.rfind("Ruckvale ", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.find_first_of(" :", 9)), c.after_version);
  }
}

}  // namespace
}  // namespace ruckvale
