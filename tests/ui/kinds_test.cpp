// The behaviour of the picture button, the timer and the edit box, each
// driven on its own: the button as a state machine fed pointer inputs, the
// timer and the edit box on the headless backend's virtual clock. Each input
// sequence is checked as one recorded signature.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ui/backend/headless/headless.h"
#include "ui/controls/edit_box.h"
#include "ui/controls/picbtn.h"
#include "ui/controls/timer_kind.h"

namespace {

using namespace ui;

// --- PicBtn ---------------------------------------------------------------------------

// Which picture a button shows, by the letter of the setting it comes from.
std::string pictureName(const std::string& picture) { return picture.empty() ? "black" : picture; }

// Settings whose pictures are named by their letters: "NHPD" gives all four.
Settings buttonSettings(const std::string& pictures, int buttontype = 0, bool checked = false) {
  Settings s;
  s.buttontype = buttontype;
  s.checked = checked;
  if (pictures.find('N') != std::string::npos) s.picNormal = "N";
  if (pictures.find('H') != std::string::npos) s.picHover = "H";
  if (pictures.find('P') != std::string::npos) s.picPressed = "P";
  if (pictures.find('D') != std::string::npos) s.picDisabled = "D";
  return s;
}

// Runs a space-separated list of inputs through a button and records what
// each one asks of the caller: the picture when a redraw is asked for, then
// capture, release and clicked. "-" for an input that asks nothing. A picture
// that changed without a redraw being asked for shows as "stale".
//   in / out      the pointer moves inside / outside (the left button as the script holds it)
//   away          another window comes under the pointer
//   down / up     left press / release inside;  upOut  release outside
//   downElsewhere the left button goes down on something that does not hold the mouse
//   disable / enable
std::string drive(PicBtnState& b, const Settings& s, const std::string& script) {
  std::istringstream in(script);
  std::string step, signature = "start:" + pictureName(b.pictureFor(s));
  bool held = false;
  while (in >> step) {
    const std::string before = b.pictureFor(s);
    PicBtnResult r;
    if (step == "in") r = b.pointerMoved(true, held);
    else if (step == "out") r = b.pointerMoved(false, held);
    else if (step == "away") r = b.pointerLeft();
    else if (step == "down") held = true, r = b.leftPressed(true);
    else if (step == "downElsewhere") held = true;
    else if (step == "up") held = false, r = b.leftReleased(true);
    else if (step == "upOut") held = false, r = b.leftReleased(false);
    else if (step == "disable") r = b.setEnabled(false);
    else if (step == "enable") r = b.setEnabled(true);
    else ADD_FAILURE() << "unknown step " << step;
    std::vector<std::string> out;
    if (r.redraw) out.push_back(pictureName(b.pictureFor(s)));
    else if (b.pictureFor(s) != before) out.push_back("stale");
    if (r.wantsCapture) out.push_back("capture");
    if (r.releaseCapture) out.push_back("release");
    if (r.fireClicked) out.push_back("clicked");
    std::string joined;
    for (const std::string& o : out) joined += (joined.empty() ? "" : "+") + o;
    signature += ", " + (joined.empty() ? std::string("-") : joined);
  }
  return signature;
}

// Guards against clicks on the wrong release, a button stuck in its pressed
// or hover picture, a lost mouse capture, and a click fired before the button
// went back to normal (the clicked handler may destroy the window).
TEST(KindPicBtn, InputSequences) {
  struct Case {
    const char* name;
    const char* pictures;
    int buttontype;
    bool checked, enabled;
    const char* script;
    const char* signature;
  } cases[] = {
      {"hover, then off the button", "NHPD", 0, false, true, "in out", "start:N, H, N"},
      {"hover, then another window", "NHPD", 0, false, true, "in in away", "start:N, H, -, N"},
      {"click", "NHPD", 0, false, true, "in down up", "start:N, H, P+capture, N+release+clicked"},
      {"press inside, release outside", "NHPD", 0, false, true, "in down out upOut",
       "start:N, H, P+capture, N, release"},
      {"press inside, release outside with no move between", "NHPD", 0, false, true,
       "down upOut", "start:N, P+capture, N+release"},
      {"back inside while held", "NHPD", 0, false, true, "down out in up",
       "start:N, P+capture, N, P, N+release+clicked"},
      {"press elsewhere, release inside", "NHPD", 0, false, true, "downElsewhere in up",
       "start:N, -, P, N+clicked"},
      {"press elsewhere, release inside with no move", "NHPD", 0, false, true,
       "downElsewhere up", "start:N, -, clicked"},
      {"a second press while held takes nothing more", "NHPD", 0, false, true, "down down up",
       "start:N, P+capture, -, N+release+clicked"},
      {"disabled: no hover, no press, no click", "NHPD", 0, false, false, "in down up",
       "start:D, -, -, -"},
      {"disabled and enabled again while hovered", "NHPD", 0, false, true,
       "in disable in enable in", "start:N, H, D, -, N, H"},
      {"disabled while held: lets the mouse go, no click", "NHPD", 0, false, true,
       "down disable up", "start:N, P+capture, D+release, -"},
      {"enabling an enabled button changes nothing", "NHPD", 0, false, true, "enable",
       "start:N, -"},
      {"only a normal picture: every state shows it", "N", 0, false, true, "in down up",
       "start:N, N, N+capture, N+release+clicked"},
      {"no pictures: black", "", 0, false, true, "in down up",
       "start:black, black, black+capture, black+release+clicked"},
      {"disabled with no disabled picture shows normal", "NHP", 0, false, false, "in",
       "start:N, -"},
      {"toggle: no hover or pressed look; a release inside flips and clicks", "NHPD", 1, false,
       true, "in down up in down up",
       "start:N, -, capture, P+release+clicked, -, capture, N+release+clicked"},
      {"toggle: release outside flips nothing", "NHPD", 1, false, true, "down out upOut",
       "start:N, capture, -, release"},
      {"toggle checked and disabled without its picture shows pressed", "NP", 1, true, false,
       "in up", "start:P, -, -"},
  };
  for (const Case& c : cases) {
    const Settings s = buttonSettings(c.pictures, c.buttontype, c.checked);
    PicBtnState b(s, c.enabled);
    EXPECT_EQ(drive(b, s, c.script), c.signature) << c.name;
    EXPECT_FALSE(b.holdsMouse()) << c.name << ": the mouse is given back by the end";
  }
}

// Guards against a button that never learns the pointer left, or keeps
// following it for ever.
TEST(KindPicBtn, FollowsThePointerOnlyWhileHoveredOrHeld) {
  const Settings s = buttonSettings("NHPD");
  struct Case {
    const char* script;
    bool following;
  } cases[] = {
      {"in", true}, {"in out", false}, {"in away", false}, {"down out", true},
      {"down away", true}, {"down out upOut", false}, {"in up", true}, {"in disable", false},
  };
  for (const Case& c : cases) {
    PicBtnState b(s, true);
    drive(b, s, c.script);
    EXPECT_EQ(b.following(), c.following) << c.script;
  }
}

// Guards against a toggle button losing its state or reporting the wrong one.
TEST(KindPicBtn, ToggleCheckedFollowsReleasesInside) {
  const Settings s = buttonSettings("NP", 1, true);
  PicBtnState b(s, true);
  EXPECT_TRUE(b.checked());
  drive(b, s, "down up");
  EXPECT_FALSE(b.checked());
  drive(b, s, "down upOut");
  EXPECT_FALSE(b.checked());
  drive(b, s, "downElsewhere up");
  EXPECT_TRUE(b.checked());
}

// --- Timer ----------------------------------------------------------------------------

// A hidden window with one timer control on the headless clock. Timer events
// reach the control as the window view routes them; scripted keys stand for
// handlers that run at given virtual times.
struct TimerRig : EventSink {
  static constexpr unsigned kId = 7;

  explicit TimerRig(int period) {
    system.setSink(this);
    WindowSpec spec;
    spec.rect = Rect{0, 0, 100, 100};
    window = system.createWindow(spec);
    record = ControlRecord{Kind::Timer, "timer", 3, {}, kNoParent, 0, {}, {}};
    record.settings.period = period;
    record.bindings.push_back({ev::tick, [this](const std::vector<std::int32_t>&) {
                                 log("tick");
                                 if (onTickHandler) onTickHandler();
                                 return std::optional<std::int32_t>{};
                               }});
  }
  ~TimerRig() override {
    timer.reset();
    if (system.isWindow(window)) system.destroyWindow(window);
    system.setSink(nullptr);
  }
  void create() { timer = std::make_unique<TimerKind>(system, window, kId, record, gate); }

  void log(const std::string& what) {
    signature += (signature.empty() ? "" : ", ") + what + "@" + std::to_string(system.now());
  }
  // Runs `action` as a handler at virtual time `at`.
  void at(std::uint64_t when, std::function<void()> action) {
    actions.push_back(std::move(action));
    system.scriptKey(when, 0x100 + static_cast<int>(actions.size()) - 1, 0, window);
  }
  // Runs the loop until the clock has reached `end`.
  void runTo(std::uint64_t end) {
    bool done = false;
    at(end, [&done] { done = true; });
    int code = 0;
    while (!done) system.dispatchNext(code);
  }

  bool preTranslate(const Event&) override { return false; }
  void handle(const Event& e) override {
    if (e.type == EventType::timer && timer && e.code == static_cast<int>(timer->id())) timer->onTick();
    if (e.type == EventType::keyDown && e.code >= 0x100) actions[e.code - 0x100]();
  }

  HeadlessWindowSystem system;
  NativeWindow window = nullptr;
  EventGate gate;
  ControlRecord record;
  std::unique_ptr<TimerKind> timer;
  std::function<void()> onTickHandler;
  std::vector<std::function<void()>> actions;
  std::string signature;
};

// Guards against a timer that ticks early, bursts after a blocked loop, goes
// on after a stop, restarts its count on a write of the same period, or
// comes early after a new period.
TEST(KindTimer, TicksOnTheVirtualClock) {
  struct Write {
    std::uint64_t at;
    int period;
  };
  struct Case {
    const char* name;
    int period;
    std::uint64_t busyAtStart;  // a created handler that runs this long
    std::vector<Write> writes;
    std::uint64_t end;
    const char* signature;
  } cases[] = {
      {"first tick one period after creation", 200, 0, {}, 700,
       "tick@200, tick@400, tick@600"},
      {"after a long created handler: one tick at once, then on period", 200, 1000, {}, 1500,
       "tick@1000, tick@1200, tick@1400"},
      {"a write of 0 stops it", 200, 0, {{250, 0}}, 1000, "tick@200, period 0@250"},
      {"a negative write counts as 0", 200, 0, {{250, -5}}, 1000, "tick@200, period 0@250"},
      {"the same period does not restart the count", 200, 0, {{300, 200}}, 700,
       "tick@200, period 200@300, tick@400, tick@600"},
      {"another period restarts it, a full new period later", 200, 0, {{250, 300}}, 1000,
       "tick@200, period 300@250, tick@550, tick@850"},
      {"a shorter period counts from the write", 200, 0, {{150, 100}}, 400,
       "period 100@150, tick@250, tick@350"},
      {"stopped, then started again", 200, 0, {{250, 0}, {500, 100}}, 750,
       "tick@200, period 0@250, period 100@500, tick@600, tick@700"},
      {"created with 0: not running until a positive write", 0, 0, {{250, 100}}, 400,
       "period 100@250, tick@350"},
      {"created with a negative period: not running", -1, 0, {}, 1000, ""},
  };
  for (const Case& c : cases) {
    TimerRig rig(c.period);
    rig.create();
    rig.system.spend(c.busyAtStart);
    for (const Write& w : c.writes) {
      rig.at(w.at, [&rig, w] {
        rig.timer->writePeriod(w.period);
        rig.log("period " + std::to_string(rig.timer->period()));
      });
    }
    rig.runTo(c.end);
    EXPECT_EQ(rig.signature, c.signature) << c.name;
  }
}

// Guards against a timer that misses its start because the window's load
// suspended events while its controls were made.
TEST(KindTimer, CountsFromCreationWhileEventsAreSuspended) {
  TimerRig rig(200);
  rig.system.spend(130);  // the window is loaded a while after the program began
  rig.gate.suspend();
  rig.create();
  rig.system.spend(50);
  rig.gate.resume();
  rig.runTo(650);
  EXPECT_EQ(rig.signature, "tick@330, tick@530");
}

// Guards against ticks after the timer is gone, and against a timer that
// touches itself after a tick handler destroyed it (with its window).
TEST(KindTimer, NoTickAfterItIsDestroyed) {
  {
    TimerRig rig(200);
    rig.create();
    rig.at(250, [&rig] {
      rig.timer.reset();
      rig.log("destroyed");
    });
    rig.runTo(1000);
    EXPECT_EQ(rig.signature, "tick@200, destroyed@250");
  }
  {
    TimerRig rig(200);
    rig.create();
    rig.onTickHandler = [&rig] {
      rig.system.destroyWindow(rig.window);
      rig.timer.reset();
    };
    rig.at(1000, [] {});  // something for the loop to wait for: no window is left
    int code = 0;
    rig.system.dispatchNext(code);
    EXPECT_EQ(rig.signature, "tick@200");
    EXPECT_EQ(rig.system.liveWindows(), 0u);
  }
}

// Guards against a tick handler's own stop letting one more tick through.
TEST(KindTimer, AStopFromTheTickHandlerIsTheLastTick) {
  TimerRig rig(100);
  rig.create();
  int ticks = 0;
  rig.onTickHandler = [&] {
    if (++ticks == 3) rig.timer->writePeriod(0);
  };
  rig.runTo(1000);
  EXPECT_EQ(rig.signature, "tick@100, tick@200, tick@300");
  EXPECT_FALSE(rig.timer->running());
}

// --- EditBox --------------------------------------------------------------------------

// Guards against a box created writable when it should be read-only, without
// its scroll bar, or in the wrong colours or font.
TEST(KindEditBox, NativeChildFromTheSettings) {
  constexpr std::uint32_t kFace = 0x00C0C0C0;
  struct Case {
    const char* name;
    std::function<void(Settings&)> set;
    bool multiline, readOnly, verticalScroll;
    std::uint32_t text, back;
    const char* face;
    int height, weight;
    bool underline;
  } cases[] = {
      {"neutral", [](Settings&) {}, false, false, false, 0, kFace, "", 0, 400, false},
      {"read-only multi-line with both bars",
       [](Settings& s) { s.multiline = true, s.inputmode = 1, s.scrollbars = 3; }, true, true,
       true, 0, kFace, "", 0, 400, false},
      {"horizontal bar only", [](Settings& s) { s.multiline = true, s.scrollbars = 1; }, true,
       false, false, 0, kFace, "", 0, 400, false},
      {"vertical bar only", [](Settings& s) { s.scrollbars = 2; }, false, false, true, 0, kFace,
       "", 0, 400, false},
      {"an input mode other than 1 is writable", [](Settings& s) { s.inputmode = 2; }, false,
       false, false, 0, kFace, "", 0, 400, false},
      {"colours as stored", [](Settings& s) { s.textcolour = 0x123456, s.bgcolour = 0xFFFFFF; },
       false, false, false, 0x123456, 0xFFFFFF, "", 0, 400, false},
      {"stored font",
       [](Settings& s) {
         s.font.stored = true, s.font.face = "宋体", s.font.height = -12, s.font.weight = 700,
         s.font.underline = true;
       },
       false, false, false, 0, kFace, "宋体", -12, 700, true},
      {"a font not stored is the default GUI font",
       [](Settings& s) { s.font.face = "宋体", s.font.height = -30; }, false, false, false, 0,
       kFace, "", 0, 400, false},
  };
  for (const Case& c : cases) {
    Settings s;
    s.content = "C:\\";
    c.set(s);
    const EditSpec spec = editSpecFor(s, Rect{10, 20, 300, 24}, kFace);
    EXPECT_EQ(spec.rect, (Rect{10, 20, 300, 24})) << c.name;
    EXPECT_EQ(spec.text, "C:\\") << c.name;
    EXPECT_EQ(spec.multiline, c.multiline) << c.name;
    EXPECT_EQ(spec.readOnly, c.readOnly) << c.name;
    EXPECT_EQ(spec.verticalScroll, c.verticalScroll) << c.name;
    EXPECT_EQ(spec.textColour, c.text) << c.name;
    EXPECT_EQ(spec.backColour, c.back) << c.name;
    EXPECT_EQ(spec.fontFace, c.face) << c.name;
    EXPECT_EQ(spec.fontHeight, c.height) << c.name;
    EXPECT_EQ(spec.fontWeight, c.weight) << c.name;
    EXPECT_EQ(spec.underline, c.underline) << c.name;
  }
}

// A window with one edit box on the headless backend; the child's notices
// reach the box as the window view routes them, and every event the box
// fires is logged.
struct EditRig : EventSink {
  explicit EditRig(const std::string& initial) {
    system.setSink(this);
    WindowSpec spec;
    spec.rect = Rect{0, 0, 400, 100};
    window = system.createWindow(spec);
    record = ControlRecord{Kind::EditBox, "path", 4, {10, 10, 300, 24}, kNoParent,
                           flagVisible | flagTabStop, {}, {}};
    record.settings.content = initial;
    record.bindings = {
        {ev::contentChanged, [this](const std::vector<std::int32_t>&) {
           const std::string text = box->readContent();
           log("changed:" + text);
           if (onChanged) onChanged(text);
           if (box) log("leave:" + text);
           return std::optional<std::int32_t>{};
         }},
        {ev::focusGained, [this](const std::vector<std::int32_t>&) {
           log("focusGained");
           return std::optional<std::int32_t>{};
         }},
        {ev::focusLost, [this](const std::vector<std::int32_t>&) {
           log("focusLost");
           return std::optional<std::int32_t>{};
         }},
    };
  }
  ~EditRig() override {
    box.reset();
    if (system.isWindow(window)) system.destroyWindow(window);
    system.setSink(nullptr);
  }
  void create() {
    gate.suspend();  // as a window load does
    box = std::make_unique<EditBoxKind>(system, window, record, Rect{10, 10, 300, 24}, 0xC0C0C0, gate);
    gate.resume();
  }
  void write(const std::string& text) {
    log("write:" + text);
    box->writeContent(text);
    log("returned:" + text);
  }
  void log(const std::string& what) { signature += (signature.empty() ? "" : ", ") + what; }

  bool preTranslate(const Event&) override { return false; }
  void handle(const Event& e) override {
    if (!box || e.child != box->native()) return;
    if (e.type == EventType::editChanged) box->onNativeChange();
    if (e.type == EventType::focusGained) box->onFocusGained();
    if (e.type == EventType::focusLost) box->onFocusLost();
  }

  HeadlessWindowSystem system;
  NativeWindow window = nullptr;
  EventGate gate;
  ControlRecord record;
  std::unique_ptr<EditBoxKind> box;
  std::function<void(const std::string&)> onChanged;
  std::string signature;
};

// Guards against a write that fires twice (its own echo) or not at all (the
// same text), an event that comes after the write returns, nested runs in
// the wrong order, a lost or doubled notice for typing, and an event for the
// initial text.
TEST(KindEditBox, ContentChangedSequences) {
  struct Case {
    const char* name;
    std::function<void(EditRig&)> run;
    const char* signature;
    const char* finalText;
  } cases[] = {
      {"creation with a text fires nothing", [](EditRig&) {}, "", "C:\\"},
      {"a write fires once, before it returns", [](EditRig& r) { r.write("D:\\"); },
       "write:D:\\, changed:D:\\, leave:D:\\, returned:D:\\", "D:\\"},
      {"the same text fires once too", [](EditRig& r) { r.write("C:\\"); },
       "write:C:\\, changed:C:\\, leave:C:\\, returned:C:\\", "C:\\"},
      {"an empty text", [](EditRig& r) { r.write(""); }, "write:, changed:, leave:, returned:",
       ""},
      {"a handler that writes runs again, nested; the inner run ends first",
       [](EditRig& r) {
         r.onChanged = [&r](const std::string& text) {
           if (text.empty()) r.write("C:\\");
         };
         r.write("");
       },
       "write:, changed:, write:C:\\, changed:C:\\, leave:C:\\, returned:C:\\, leave:, "
       "returned:",
       "C:\\"},
      {"typing fires once per character",
       [](EditRig& r) {
         r.system.setFocus(r.box->native());
         r.signature.clear();
         r.system.scriptTyping(0, "D软");
         int code = 0;
         r.system.dispatchNext(code);
       },
       "changed:C:\\D, leave:C:\\D, changed:C:\\D软, leave:C:\\D软", "C:\\D软"},
      {"a handler that rewrites what was typed",
       [](EditRig& r) {
         r.onChanged = [&r](const std::string& text) {
           if (text == "C:\\x") r.write("C:\\X");
         };
         r.system.setFocus(r.box->native());
         r.signature.clear();
         r.system.scriptTyping(0, "x");
         int code = 0;
         r.system.dispatchNext(code);
       },
       "changed:C:\\x, write:C:\\X, changed:C:\\X, leave:C:\\X, returned:C:\\X, "
       "leave:C:\\x",
       "C:\\X"},
      {"focus in and out", [](EditRig& r) {
         r.system.setFocus(r.box->native());
         r.system.setFocus(r.window);
       },
       "focusGained, focusLost", "C:\\"},
  };
  for (const Case& c : cases) {
    EditRig rig("C:\\");
    rig.create();
    c.run(rig);
    EXPECT_EQ(rig.signature, c.signature) << c.name;
    EXPECT_EQ(rig.box->readContent(), c.finalText) << c.name;
  }
}

// Guards against a box that touches itself after its contentChanged handler
// destroyed the window and the box with it.
TEST(KindEditBox, HandlerThatDestroysTheBoxEndsTheWrite) {
  EditRig rig("C:\\");
  rig.create();
  rig.onChanged = [&rig](const std::string&) {
    rig.system.destroyWindow(rig.window);
    rig.box.reset();
    rig.log("destroyed");
  };
  rig.log("write");
  rig.box->writeContent("D:\\");
  rig.log("returned");
  EXPECT_EQ(rig.signature, "write, changed:D:\\, destroyed, returned");
  EXPECT_EQ(rig.system.liveWindows(), 0u);
}

}  // namespace
