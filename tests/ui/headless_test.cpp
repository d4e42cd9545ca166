// The headless backend keeps the system's order and timing, so what the
// lifecycle tests show on it holds on Windows: queue priorities, coalesced
// timer ticks, nested dialog loops, and a loud failure instead of a hang.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/backend/headless/headless.h"

namespace {

using ui::Event;
using ui::EventType;
using ui::HeadlessWindowSystem;

// Records every event as text, in the order the backend delivered it.
struct Recorder : ui::EventSink {
  explicit Recorder(HeadlessWindowSystem& s) : system(s) { system.setSink(this); }
  ~Recorder() override { system.setSink(nullptr); }
  bool preTranslate(const Event& e) override {
    if (e.type == EventType::keyDown) seen.push_back("key" + std::string(1, static_cast<char>(e.code)));
    if (e.type == EventType::character) seen.push_back("char:" + std::to_string(e.code));
    if (onPre) return onPre(e);
    return false;
  }
  void handle(const Event& e) override {
    switch (e.type) {
      case EventType::deferred: seen.push_back("deferred"); break;
      case EventType::paint: seen.push_back("paint"); break;
      case EventType::timer: seen.push_back("tick@" + std::to_string(system.now())); break;
      case EventType::editChanged: seen.push_back("changed:" + system.editText(e.child)); break;
      default: break;
    }
    if (onHandle) onHandle(e);
  }
  HeadlessWindowSystem& system;
  std::vector<std::string> seen;
  std::function<bool(const Event&)> onPre;
  std::function<void(const Event&)> onHandle;
};

ui::NativeWindow shownWindow(HeadlessWindowSystem& s) {
  ui::WindowSpec spec;
  spec.rect = ui::Rect{100, 100, 200, 100};
  ui::NativeWindow w = s.createWindow(spec);
  s.showWindow(w);
  return w;
}

// Guards against a deferred destruction being overtaken by input or ticks.
TEST(HeadlessQueue, PostedThenQuitThenInputThenPaintThenTimer) {
  HeadlessWindowSystem s;
  Recorder r(s);
  ui::NativeWindow w = shownWindow(s);  // leaves a paint pending
  s.setTimer(w, 1, 0);                  // taken as the 10 ms minimum
  s.scriptKey(0, 'K');
  s.postDeferred(w);
  s.postQuit(7);
  EXPECT_FALSE(s.quitWaiting()) << "the posted message comes first";
  int code = 0;
  ASSERT_TRUE(s.dispatchNext(code));
  EXPECT_TRUE(s.quitWaiting());
  EXPECT_FALSE(s.dispatchNext(code));
  EXPECT_EQ(code, 7);
  ASSERT_TRUE(s.dispatchNext(code));
  ASSERT_TRUE(s.dispatchNext(code));
  ASSERT_TRUE(s.dispatchNext(code));
  EXPECT_EQ(r.seen, (std::vector<std::string>{"deferred", "keyK", "paint", "tick@10"}));
}

// Guards against a blocked loop getting a burst of ticks afterwards.
TEST(HeadlessTimers, MissedPeriodsGiveOnePendingTick) {
  HeadlessWindowSystem s;
  Recorder r(s);
  ui::NativeWindow w = shownWindow(s);
  s.setTimer(w, 1, 200);
  int code = 0;
  s.dispatchNext(code);  // the paint
  s.dispatchNext(code);  // first tick at 200
  s.spend(1000);         // a handler that blocks for a second
  s.dispatchNext(code);  // one tick for the five missed periods
  s.dispatchNext(code);  // then on schedule
  EXPECT_EQ(r.seen, (std::vector<std::string>{"paint", "tick@200", "tick@1200", "tick@1400"}));
}

// Guards against a test that would hang for ever.
TEST(HeadlessQueue, WaitingWithNothingToComeFailsLoudly) {
  HeadlessWindowSystem s;
  Recorder r(s);
  int code = 0;
  EXPECT_THROW(s.dispatchNext(code), ui::HeadlessDeadlock);
  ui::NativeWindow w = shownWindow(s);
  (void)w;
  EXPECT_THROW(s.messageBox(nullptr, "q", "c", ui::kMbYesNo), ui::HeadlessDeadlock)
      << "a question nobody will answer";
}

// Guards against a question box that stops timers or deferred destruction,
// or lets clicks through to the windows behind it.
TEST(HeadlessDialogs, QuestionBoxRunsItsOwnLoop) {
  HeadlessWindowSystem s;
  Recorder r(s);
  ui::NativeWindow w = shownWindow(s);
  int code = 0;
  s.dispatchNext(code);  // paint
  r.seen.clear();
  s.setTimer(w, 1, 200);
  s.postDeferred(w);
  s.scriptKey(300, 'K');  // falls due while the box is open
  s.scriptAnswer(ui::kIdNo, 500);
  bool enabledDuring = true;
  r.onHandle = [&](const Event& e) {
    if (e.type == EventType::timer) enabledDuring = s.isWindowEnabled(w);
  };
  EXPECT_EQ(s.messageBox(w, "q", "c", ui::kMbYesNo), ui::kIdNo);
  EXPECT_EQ(s.now(), 500u);
  EXPECT_EQ(r.seen, (std::vector<std::string>{"deferred", "tick@200", "tick@400"}));
  EXPECT_FALSE(enabledDuring) << "task-modal: the program's windows are disabled";
  EXPECT_TRUE(s.isWindowEnabled(w));
  ASSERT_EQ(s.dialogs().size(), 1u);
  EXPECT_EQ(s.dialogs()[0].owner, w);
}

// Guards against lost or doubled change notices, and against a two-byte
// character reaching the window otherwise than Windows sends it (lead byte,
// then trail byte) or entering the box half.
TEST(HeadlessEdit, TypingGivesOneNoticePerCharacter) {
  HeadlessWindowSystem s;
  Recorder r(s);
  ui::NativeWindow w = shownWindow(s);
  ui::EditSpec spec;
  spec.rect = ui::Rect{0, 0, 100, 20};
  spec.text = "C:\\";
  ui::NativeWindow edit = s.createEdit(w, spec);
  s.setFocus(edit);
  s.scriptTyping(0, "D软");
  int code = 0;
  s.dispatchNext(code);
  s.setEditText(edit, "x");
  const std::string soft = "软";  // 0xC8 0xED
  ASSERT_EQ(soft, "\xC8\xED");
  EXPECT_EQ(r.seen, (std::vector<std::string>{"char:68", "changed:C:\\D", "char:200", "char:237",
                                              "changed:C:\\D软", "changed:x"}));
  s.destroyWindow(w);
  EXPECT_FALSE(s.isWindow(edit)) << "the edit child goes with its window";
}

// Guards against input reaching a disabled window.
TEST(HeadlessInput, DisabledWindowGetsNoInput) {
  HeadlessWindowSystem s;
  Recorder r(s);
  ui::NativeWindow w = shownWindow(s);
  s.enableWindow(w, false);
  s.scriptKey(0, 'K');
  s.scriptMouse(0, EventType::leftDown, 150, 150);
  s.setTimer(w, 1, 10);
  int code = 0;
  s.dispatchNext(code);  // the key is dropped, the paint comes
  s.dispatchNext(code);
  EXPECT_EQ(r.seen, (std::vector<std::string>{"paint", "tick@10"}));
}

// Guards against the end of the process running on into handlers.
TEST(HeadlessProcess, ExitUnwindsWithTheCode) {
  HeadlessWindowSystem s;
  try {
    s.exitProcess(-1);
    FAIL() << "exitProcess returned";
  } catch (const ui::HeadlessExit& e) {
    EXPECT_EQ(e.code, -1);
  }
}

}  // namespace
