// The application lifecycle on the headless backend: opening and centring,
// owners and taskbar buttons, modal loops that disable and restore, deferred
// destruction, quit requests, the abort question, the end of the program and
// the fatal errors — each run as a whole program on the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "core/install.h"
#include "ui/program.h"

namespace {

using namespace testing_support;
using ui::App;
using ui::EventType;


const ui::Rect k550x360{50, 50, 550, 360};
const ui::Rect k550x345{50, 50, 550, 345};

std::vector<std::pair<std::string, ui::Rect>> fourWindows() {
  return {{kWelcome, k550x360}, {kAgreement, k550x345}, {kProgress, k550x360}, {kFinish, k550x360}};
}

// Guards against windows opening off-centre or at their stored position.
TEST(AppOpen, CentresBySignedTruncatingDivision) {
  struct Case {
    int screenWidth;
    ui::Rect rect;
    int left, top;
  } cases[] = {
      {1920, k550x360, 685, 360},
      {1920, k550x345, 685, 367},
      {500, k550x360, -25, 360},  // narrower than the window
      {551, k550x360, 0, 360},
  };
  for (const Case& c : cases) {
    Program p({{kWelcome, c.rect}}, c.screenWidth);
    ui::Rect seen;
    p.created[kWelcome] = [&] { seen = p.system.windowRect(p.native(kWelcome)); };
    p.system.scriptKey(10, kEsc);
    EXPECT_EQ(p.run(), 0);
    EXPECT_EQ(seen.left, c.left) << c.screenWidth;
    EXPECT_EQ(seen.top, c.top);
    EXPECT_EQ(seen.width, c.rect.width);
  }
}

// Guards against a window shown before its created handler has finished.
TEST(AppOpen, CreatedRunsHiddenAndTheWindowShowsAfterIt) {
  Program p({{kWelcome, k550x360}});
  bool visibleDuringCreated = true;
  p.created[kWelcome] = [&] {
    visibleDuringCreated = p.system.isVisible(p.native(kWelcome));
    p.system.spend(5000);  // a long handler
  };
  std::uint64_t shownAt = 0;
  p.onKey(kWelcome, 'S', [&] { shownAt = p.system.now(); });
  p.system.scriptKey(0, 'S');
  p.system.scriptKey(6000, kEsc);
  EXPECT_EQ(p.run(), 0);
  EXPECT_FALSE(visibleDuringCreated);
  EXPECT_EQ(shownAt, 5000u) << "the first input is handled once the window is shown";
}

// Guards against modal windows getting taskbar buttons, or the installer
// keeping one after the welcome window is gone.
TEST(AppOpen, OnlyTheStartWindowHasATaskbarButton) {
  Program p(fourWindows());
  std::map<std::string, bool> button;
  p.onKey(kWelcome, 'I', [&] { p.app.openWindow(kProgress, true); });
  p.created[kProgress] = [&] { p.app.destroyWindow(kWelcome); };
  p.onKey(kProgress, 'T', [&] {
    button["welcome gone"] = p.app.isOpen(kWelcome);
    button["progress"] = p.system.hasTaskbarButton(p.native(kProgress));
  });
  p.onKey(kWelcome, 'B', [&] { button["welcome"] = p.system.hasTaskbarButton(p.native(kWelcome)); });
  p.system.scriptKey(10, 'B');
  p.system.scriptKey(20, 'I');
  p.system.scriptKey(30, 'T');
  p.system.scriptKey(40, kEsc);
  EXPECT_EQ(p.run(), 0);
  EXPECT_TRUE(button["welcome"]);
  EXPECT_FALSE(button["progress"]);
  EXPECT_FALSE(button["welcome gone"]) << "the deferred destruction was carried out";
}

// Guards against a modal window leaving others disabled, or enabling one
// that was disabled before it opened.
TEST(AppModal, DisablesTheOthersAndGivesEachItsStateBack) {
  Program p(fourWindows());
  std::map<std::string, bool> seen;
  p.onKey(kWelcome, 'A', [&] {
    p.app.openWindow(kAgreement, true);  // returns when the agreement window is gone
    seen["welcome after agreement"] = p.enabled(kWelcome);
    seen["agreement closed"] = !p.app.isOpen(kAgreement);
  });
  p.onKey(kAgreement, 'C', [&] {
    seen["welcome while agreement"] = p.enabled(kWelcome);
    seen["agreement is modal"] = p.app.currentModal() && *p.app.currentModal() == kAgreement;
  });
  p.system.scriptKey(10, 'A');
  p.system.scriptKey(20, 'C');
  p.system.scriptKey(30, kEsc);  // Esc closes the agreement window: back to the welcome window
  p.system.scriptKey(40, kEsc);
  EXPECT_EQ(p.run(), 0);
  EXPECT_FALSE(seen["welcome while agreement"]);
  EXPECT_TRUE(seen["agreement is modal"]);
  EXPECT_TRUE(seen["welcome after agreement"]);
  EXPECT_TRUE(seen["agreement closed"]);
}

TEST(AppModal, AWindowDisabledBeforeStaysDisabled) {
  Program p(fourWindows());
  bool welcomeEnabledAfter = true;
  p.onKey(kWelcome, 'A', [&] {
    p.system.enableWindow(p.native(kWelcome), false);
    p.app.openWindow(kAgreement, true);
    welcomeEnabledAfter = p.enabled(kWelcome);
    p.app.endProgram(0);
  });
  p.system.scriptKey(10, 'A');
  p.system.scriptKey(20, kEsc);
  EXPECT_EQ(p.run(), 0);
  EXPECT_FALSE(welcomeEnabledAfter);
}

// Guards against a second created event or a second loop for an open window.
TEST(AppOpen, OpeningAnOpenWindowOnlyBringsItForward) {
  Program p(fourWindows());
  bool result = false, restored = false;
  p.onKey(kWelcome, 'M', [&] { p.system.minimize(p.native(kWelcome)); });
  p.onKey(kWelcome, 'O', [&] {
    result = p.app.openWindow(kWelcome, true);
    restored = !p.system.isMinimized(p.native(kWelcome));
  });
  p.system.scriptKey(10, 'M');
  p.system.scriptKey(20, 'O');
  p.system.scriptKey(30, kEsc);
  EXPECT_EQ(p.run(), 0);
  EXPECT_TRUE(result);
  EXPECT_TRUE(restored);
  EXPECT_EQ(std::count(p.log.begin(), p.log.end(), "created:" + kWelcome), 1);
}

// Guards against a destruction carried out late (after input or ticks) or
// not at all, and against the program ending while a window is open.
TEST(AppDestroy, DeferredDestructionIsTheNextLoopsFirstWork) {
  Program p(fourWindows());
  std::vector<std::string> order;
  p.onKey(kWelcome, 'I', [&] {
    p.app.openWindow(kProgress, true);
    order.push_back("quick-install handler returns");
  });
  p.created[kProgress] = [&] {
    p.app.destroyWindow(kWelcome);
    p.system.spend(1000);  // the installation
    order.push_back(p.app.isOpen(kWelcome) ? "welcome still open after created" : "welcome gone too early");
  };
  p.onKey(kProgress, 'T', [&] {
    order.push_back(p.app.isOpen(kWelcome) ? "welcome open at first input" : "welcome gone at first input");
  });
  p.system.scriptKey(10, 'I');
  p.system.scriptKey(10, 'T');  // queued while the installation runs
  p.system.scriptKey(2000, kEsc);
  EXPECT_EQ(p.run(), 0);
  EXPECT_EQ(order, (std::vector<std::string>{"welcome still open after created",
                                             "welcome gone at first input",
                                             "quick-install handler returns"}));
}

// Guards against a modal loop eating the quit request meant for the loops outside.
TEST(AppLoops, QuitRequestUnwindsEveryLoopAndEndsWithZero) {
  Program p(fourWindows());
  std::vector<std::string> unwound;
  p.onKey(kWelcome, 'I', [&] {
    p.app.openWindow(kProgress, true);
    unwound.push_back("quick install");
  });
  p.created[kProgress] = [&] {
    p.app.destroyWindow(kWelcome);
    p.system.setTimer(p.native(kProgress), 1, 200);
  };
  int ticks = 0;
  p.onTick = [&](const std::string& window) {
    if (window != kProgress || ++ticks != 5) return;
    p.system.killTimer(p.native(kProgress), 1);
    p.app.openWindow(kFinish, true);
    unwound.push_back("tick");
  };
  p.created[kFinish] = [&] { p.app.destroyWindow(kProgress); };
  p.system.scriptKey(10, 'I');
  p.system.scriptKey(5000, kEsc);  // Esc on the finish window, the last one
  core::setInstallDir("D:\\App\\");
  EXPECT_EQ(p.run(), 0);
  EXPECT_EQ(unwound, (std::vector<std::string>{"tick", "quick install"}));
  EXPECT_TRUE(core::installDir().empty()) << "the clean-up released installDir";
  EXPECT_EQ(std::count(p.log.begin(), p.log.end(), "created:" + kFinish), 1);
}

// Guards against handlers resuming after the end, or the clean-up running twice.
TEST(AppEnd, EndProgramRunsTheCleanupOnceAndNoHandlerAfter) {
  Program p(fourWindows());
  p.app.registerCleanup(countCleanup);
  p.app.registerCleanup(countCleanup);
  bool resumed = false;
  p.onKey(kWelcome, 'I', [&] {
    p.app.openWindow(kFinish, true);
    resumed = true;
  });
  p.onKey(kFinish, 'F', [&] {
    p.shell.runAndWait("C:\\x.exe");
    p.app.endProgram(0);
    resumed = true;
  });
  p.system.scriptKey(10, 'I');
  p.system.scriptKey(20, 'F');
  EXPECT_EQ(p.run(), 0);
  EXPECT_FALSE(resumed);
  EXPECT_EQ(g_cleanups, 1);
  EXPECT_EQ(p.system.liveWindows(), 0u) << "every window and the owner destroyed";
  EXPECT_TRUE(p.system.processFinished());
}

// Guards against the abort question ending the program on No, or not on Yes.
TEST(AppAbort, QuestionAnsweredNoGoesOnAndYesEnds) {
  struct Case {
    int answer;
    int exitCode;
    bool endedAtQuestion;
  } cases[] = {{ui::kIdNo, 0, false}, {ui::kIdYes, 0, true}};
  for (const Case& c : cases) {
    Program p(fourWindows());
    p.app.registerCleanup(countCleanup);
    p.onKey(kWelcome, 'X', [&] { p.app.confirmAbort(); });
    p.system.scriptAnswer(c.answer, 100);
    p.system.scriptKey(10, 'X');
    p.system.scriptKey(1000, kEsc);
    EXPECT_EQ(p.run(), c.exitCode);
    ASSERT_EQ(p.system.dialogs().size(), 1u);
    const auto& box = p.system.dialogs()[0];
    EXPECT_EQ(box.text, "您是否终止安装？");
    EXPECT_EQ(box.caption, "Velmaro");
    EXPECT_EQ(box.style, 0x2024u);
    EXPECT_NE(box.owner, nullptr) << "owned by the welcome window";
    EXPECT_EQ(g_cleanups, 1);
    EXPECT_EQ(p.system.now() < 1000, c.endedAtQuestion);
  }
}

// Guards against fatal errors running the clean-up or ending with 0.
TEST(AppFatal, FatalErrorsShowAStopBoxAndEndWithMinusOne) {
  {
    Program p(fourWindows());
    p.app.registerCleanup(countCleanup);
    p.system.failNextCreate();
    EXPECT_EQ(p.run(), -1);
    ASSERT_EQ(p.system.dialogs().size(), 1u);
    EXPECT_EQ(p.system.dialogs()[0].style & 0xF0u, static_cast<unsigned>(ui::kMbIconStop));
    EXPECT_EQ(p.system.dialogs()[0].owner, nullptr);
    EXPECT_EQ(g_cleanups, 0);
  }
  {
    Program p(fourWindows());
    p.app.registerCleanup(countCleanup);
    p.onKey(kWelcome, 'D', [&] { p.app.destroyWindow(kFinish); });  // not open
    p.system.scriptKey(10, 'D');
    EXPECT_EQ(p.run(), -1);
    EXPECT_EQ(g_cleanups, 0);
  }
}

}  // namespace

namespace {

// Guards against a window shown without its controls drawn, or drawn over
// by its own background.
TEST(AppDraw, AWindowShowsItsBackgroundAndControlsOnceShown) {
  ui::HeadlessWindowSystem system;
  testing_support::FakeShell files;
  ui::DialogShell shell(system, files);
  ui::WindowRecord welcome;
  welcome.name = kWelcome;
  welcome.settings.bgcolour = 0x0000FF;  // red
  ui::ControlRecord bar{ui::Kind::Label, "标签1", 1, {10, 10, 100, 20}, ui::kNoParent, ui::flagVisible, {}, {}};
  bar.settings.bgcolour = 0xFF0000;  // blue
  welcome.controls.push_back(bar);
  ui::App app(system, shell, {welcome});
  std::vector<std::uint32_t> seen;
  app.setHooks(App::Hooks{[&](const std::string&, const ui::Event& e) {
                            if (e.type != EventType::keyDown || e.code != 'S') return false;
                            seen = system.screenImage(app.nativeOf(kWelcome));
                            return true;
                          },
                          nullptr});
  system.scriptKey(10, 'S');
  system.scriptKey(20, kEsc);
  int code = 99;
  try {
    app.run(kWelcome);
  } catch (const ui::HeadlessExit& e) {
    code = e.code;
  }
  EXPECT_EQ(code, 0);
  ASSERT_EQ(seen.size(), 550u * 360u);
  EXPECT_EQ(seen[5 * 550 + 5] & 0xFFFFFF, 0xFF0000u) << "the window's red background (0xRRGGBB in the buffer)";
  EXPECT_EQ(seen[20 * 550 + 50] & 0xFFFFFF, 0x0000FFu) << "the label's blue";
}

}  // namespace

namespace {

// Guards against the window's own controls not coming alive through the
// application: a timer that does not tick or stop, an edit box whose changes
// and writes do not reach its handler, properties that do not read back.
TEST(AppControls, TimerEditBoxAndPropertiesWorkThroughTheApplication) {
  ui::HeadlessWindowSystem system;
  testing_support::FakeShell files;
  ui::DialogShell shell(system, files);
  std::vector<std::string> notes;
  ui::App* app = nullptr;
  auto handler = [](std::function<void()> f) {
    return [f](const std::vector<std::int32_t>&) -> std::optional<std::int32_t> {
      f();
      return std::nullopt;
    };
  };
  ui::WindowRecord w;
  w.name = kWelcome;
  ui::ControlRecord bar{ui::Kind::Label, "bar", 1, {0, 0, 0, 10}, ui::kNoParent, ui::flagVisible, {}, {}};
  ui::ControlRecord path{ui::Kind::EditBox, "path", 2, {10, 100, 200, 20}, ui::kNoParent,
                         ui::flagVisible | ui::flagTabStop, {}, {}};
  path.settings.content = "C:\\";
  path.bindings.push_back({ui::ev::contentChanged, handler([&] {
    const std::string text = std::get<std::string>(app->readProperty(kWelcome, "path", ui::prop::content));
    notes.push_back("changed:" + text);
    if (text.empty()) app->writeProperty(kWelcome, "path", ui::prop::content, std::string("D:\\"));
  })});
  ui::ControlRecord timer{ui::Kind::Timer, "tick", 3, {0, 0, 0, 0}, ui::kNoParent, 0, {}, {}};
  timer.settings.period = 200;
  timer.bindings.push_back({ui::ev::tick, handler([&] {
    const int width = std::get<std::int32_t>(app->readProperty(kWelcome, "bar", ui::prop::width)) + 100;
    app->writeProperty(kWelcome, "bar", ui::prop::width, width);
    notes.push_back("tick@" + std::to_string(system.now()) + ":" + std::to_string(width));
    if (width == 300) app->writeProperty(kWelcome, "tick", ui::prop::period, 0);
  })});
  w.controls = {bar, path, timer};
  ui::App a(system, shell, {w});
  app = &a;
  a.setHooks(App::Hooks{[&](const std::string&, const ui::Event& e) {
                          if (e.type != EventType::keyDown || e.code != 'W') return false;
                          a.writeProperty(kWelcome, "path", ui::prop::content, std::string());
                          notes.push_back("write returned");
                          return true;
                        },
                        nullptr});
  // The window is at 685,360: a click into the box gives it the focus.
  system.scriptMouse(50, EventType::leftDown, 685 + 20, 360 + 105);
  system.scriptTyping(60, "x");
  system.scriptKey(1000, 'W');
  system.scriptKey(3000, kEsc);
  int code = 99;
  try {
    a.run(kWelcome);
  } catch (const ui::HeadlessExit& e) {
    code = e.code;
  }
  EXPECT_EQ(code, 0);
  EXPECT_EQ(notes, (std::vector<std::string>{"changed:C:\\x", "tick@200:100", "tick@400:200", "tick@600:300",
                                             "changed:", "changed:D:\\", "write returned"}));
}

}  // namespace
