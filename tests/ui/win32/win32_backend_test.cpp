// The Win32 backend under Wine, call by call: the queue's order and its quit
// request, timers, the windows' styles, owner and taskbar buttons, modifier
// keys, the edit child, paint and present, the executable's folder.
#include <gtest/gtest.h>

#include "ui/backend/win32/win32_backend.h"
#include "win32_test_support.h"

namespace {

using ui::Win32WindowSystem;
using win32_test::drainQueue;
using win32_test::RecordingSink;

HWND hwnd(ui::NativeWindow w) { return static_cast<HWND>(w); }

// A backend with a recording sink and one window of the installer's kind;
// nothing is left over afterwards.
struct Fixture : ::testing::Test {
  void SetUp() override {
    drainQueue();
    system.setSink(&sink);
  }
  void TearDown() override {
    for (ui::NativeWindow w : made) system.destroyWindow(w);
    drainQueue();
    system.setSink(nullptr);
  }
  ui::NativeWindow window(ui::Rect rect = {685, 360, 550, 360}, ui::NativeWindow owner = nullptr) {
    ui::WindowSpec spec;
    spec.rect = rect;
    spec.caption = "Velmaro";
    spec.owner = owner;
    ui::NativeWindow w = system.createWindow(spec);
    EXPECT_NE(w, nullptr) << system.lastFailure();
    made.push_back(w);
    return w;
  }
  // Dispatches until `until` has been logged or the 3 s watchdog timer fires.
  void runUntil(ui::NativeWindow w, const std::string& until) {
    system.setTimer(w, kWatchdog, 3000);
    int code = 0;
    while (sink.indexOf(until) < 0) {
      ASSERT_TRUE(system.dispatchNext(code)) << "an unexpected quit request";
      if (!sink.events.empty() && sink.events.back().type == ui::EventType::timer &&
          sink.events.back().code == static_cast<int>(kWatchdog)) {
        FAIL() << "no " << until << " within 3 s";
      }
    }
    system.killTimer(w, kWatchdog);
  }

  static constexpr unsigned kWatchdog = 99;
  Win32WindowSystem system;
  RecordingSink sink;
  std::vector<ui::NativeWindow> made;
};

using Win32Queue = Fixture;
using Win32Timers = Fixture;
using Win32Windows = Fixture;
using Win32Input = Fixture;
using Win32Edit = Fixture;
using Win32Paint = Fixture;

// Guards against a deferred destruction carried out after input or a tick
// that came in before it was requested (the welcome window would answer once
// more after the installation asked for its end).
TEST_F(Win32Queue, APostedMessageIsTakenBeforeInputAndTimerTicks) {
  // In a corner and on top, away from the centred windows of tests that
  // ctest runs beside this one, so the click lands on this window.
  ui::NativeWindow w = window({0, 0, 120, 80});
  system.showWindow(w);
  SetWindowPos(hwnd(w), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  drainQueue();
  sink.log.clear();

  // Input first, a due tick next, the deferred message last of all.
  INPUT in[3] = {};
  for (INPUT& i : in) i.type = INPUT_MOUSE;
  in[0].mi.dx = (60 * 65535) / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in[0].mi.dy = (40 * 65535) / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ASSERT_EQ(SendInput(3, in, sizeof(INPUT)), 3u);
  system.setTimer(w, 1, 10);
  Sleep(100);
  system.postDeferred(w);

  runUntil(w, "timer");
  const long deferred = sink.indexOf("deferred"), input = sink.indexOf("pre:leftDown"), tick = sink.indexOf("timer");
  ASSERT_GE(deferred, 0);
  ASSERT_GE(input, 0) << "the click never reached the window";
  EXPECT_LT(deferred, input);
  EXPECT_LT(input, tick);
  system.killTimer(w, 1);
}

// Guards against a modal loop that swallows the quit request meant for the
// loop outside it, or that ends before the destructions posted ahead of it.
TEST_F(Win32Queue, AQuitRequestStaysQueuedBehindPostedMessages) {
  ui::NativeWindow w = window();
  system.postDeferred(w);
  system.postQuit(3);
  EXPECT_FALSE(system.quitWaiting()) << "the deferred message is ahead of the quit request";
  int code = 0;
  ASSERT_TRUE(system.dispatchNext(code));
  EXPECT_EQ(sink.log, std::vector<std::string>{"deferred"});
  EXPECT_TRUE(system.quitWaiting());
  EXPECT_TRUE(system.quitWaiting()) << "looking does not take it";
  system.setTimer(w, 1, 1);
  Sleep(30);
  EXPECT_TRUE(system.quitWaiting()) << "a due tick comes after the quit request";
  EXPECT_FALSE(system.dispatchNext(code));
  EXPECT_EQ(code, 3);
  EXPECT_FALSE(system.quitWaiting()) << "taken";
  system.killTimer(w, 1);
}

TEST_F(Win32Queue, ADeferredMessageToAWindowThatIsGoneIsLost) {
  ui::NativeWindow doomed = window();
  ui::NativeWindow other = window();
  system.postDeferred(doomed);
  system.destroyWindow(doomed);
  system.postDeferred(other);
  // The system may have messages of its own ahead (activation, paint); the
  // first deferred one must be the live window's.
  int code = 0;
  for (int i = 0; i < 50 && sink.count("deferred") == 0; ++i) ASSERT_TRUE(system.dispatchNext(code));
  ASSERT_EQ(sink.count("deferred"), 1u);
  EXPECT_EQ(sink.events[static_cast<std::size_t>(sink.indexOf("deferred"))].window, other);
}

// Guards against a progress bar that stops or races: ticks arrive at about
// the period, missed periods make one tick, and a killed timer is silent.
TEST_F(Win32Timers, TicksArriveAndStop) {
  ui::NativeWindow w = window();
  system.setTimer(w, 1, 50);
  system.setTimer(w, 2, 600);
  runUntil(w, "timer");  // the first tick of either
  int code = 0;
  auto ticksOf = [&](int id) {
    int n = 0;
    for (const ui::Event& e : sink.events) n += e.type == ui::EventType::timer && e.code == id;
    return n;
  };
  while (ticksOf(2) == 0) ASSERT_TRUE(system.dispatchNext(code));
  EXPECT_GE(ticksOf(1), 4);   // 12 periods fit; Wine on a busy machine may lose some
  EXPECT_LE(ticksOf(1), 13);
  for (const ui::Event& e : sink.events) EXPECT_EQ(e.window, w);

  system.killTimer(w, 1);
  system.killTimer(w, 2);
  sink.events.clear();
  sink.log.clear();
  system.setTimer(w, 3, 200);
  while (ticksOf(3) == 0) ASSERT_TRUE(system.dispatchNext(code));
  EXPECT_EQ(ticksOf(1), 0) << "a killed timer ticked";
  system.killTimer(w, 3);
}

TEST_F(Win32Timers, MissedPeriodsMakeOneTick) {
  ui::NativeWindow w = window();
  system.setTimer(w, 1, 100);
  Sleep(650);  // six periods with nobody taking messages
  int code = 0;
  ASSERT_TRUE(system.dispatchNext(code));
  ASSERT_EQ(sink.log, std::vector<std::string>{"timer"});
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE)) << "a second tick was waiting";
  system.killTimer(w, 1);
}

// Guards against a frame, caption bar or system menu on the installer's
// windows, against a window that cannot be minimised from the taskbar, and
// against the owner window appearing anywhere.
TEST_F(Win32Windows, InstallerWindowIsFramelessAndExactlyWhereAsked) {
  ui::NativeWindow w = window({685, 360, 550, 360});
  const LONG_PTR style = GetWindowLongPtrA(hwnd(w), GWL_STYLE);
  struct Bit {
    const char* name;
    LONG_PTR bit;
    bool wanted;
  } bits[] = {
      {"WS_POPUP", WS_POPUP, true},         {"WS_MINIMIZEBOX", WS_MINIMIZEBOX, true},
      {"WS_CAPTION", WS_CAPTION, false},    {"WS_SYSMENU", WS_SYSMENU, false},
      {"WS_THICKFRAME", WS_THICKFRAME, false}, {"WS_MAXIMIZEBOX", WS_MAXIMIZEBOX, false},
      {"WS_BORDER", WS_BORDER, false},      {"WS_VISIBLE", WS_VISIBLE, false},
  };
  for (const Bit& b : bits) EXPECT_EQ((style & b.bit) == b.bit, b.wanted) << b.name;
  EXPECT_EQ(system.windowRect(w), (ui::Rect{685, 360, 550, 360}));
  RECT client;
  GetClientRect(hwnd(w), &client);
  EXPECT_EQ(client.right, 550) << "the client area is the whole window";
  EXPECT_EQ(client.bottom, 360);
  char caption[32] = {};
  GetWindowTextA(hwnd(w), caption, sizeof caption);
  EXPECT_STREQ(caption, "Velmaro");
}

TEST_F(Win32Windows, OwnerWindowIsNeverSeenAndOwnsWithoutTaskbarButtons) {
  ui::NativeWindow owner = system.createOwnerWindow();
  ASSERT_NE(owner, nullptr);
  made.push_back(owner);
  EXPECT_FALSE(system.isVisible(owner));
  EXPECT_EQ(system.windowRect(owner), (ui::Rect{0, 0, 0, 0}));
  EXPECT_TRUE(GetWindowLongPtrA(hwnd(owner), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(GetWindowLongPtrA(hwnd(owner), GWL_STYLE) & WS_CAPTION);
  EXPECT_FALSE(system.hasTaskbarButton(owner));

  struct Case {
    const char* name;
    bool owned, shown, button;
  } cases[] = {
      {"start window, shown", false, true, true},
      {"start window, hidden", false, false, false},
      {"modal window, shown", true, true, false},
  };
  for (const Case& c : cases) {
    ui::NativeWindow w = window({685, 360, 550, 360}, c.owned ? owner : nullptr);
    if (c.shown) system.showWindow(w);
    EXPECT_EQ(GetWindow(hwnd(w), GW_OWNER), c.owned ? hwnd(owner) : nullptr) << c.name;
    EXPECT_EQ(system.hasTaskbarButton(w), c.button) << c.name;
    EXPECT_EQ(system.isVisible(w), c.shown) << c.name;
  }
  EXPECT_FALSE(system.isVisible(owner)) << "showing an owned window does not show its owner";
}

TEST_F(Win32Windows, ShowEnableMinimiseRestore) {
  ui::NativeWindow w = window();
  system.showWindow(w);
  EXPECT_EQ(system.activeWindow(), w) << "shown and active";
  system.enableWindow(w, false);
  EXPECT_FALSE(system.isWindowEnabled(w));
  system.enableWindow(w, true);
  EXPECT_TRUE(system.isWindowEnabled(w));
  system.minimize(w);
  EXPECT_TRUE(system.isMinimized(w));
  system.restore(w);
  EXPECT_FALSE(system.isMinimized(w));
  EXPECT_EQ(system.windowRect(w), (ui::Rect{685, 360, 550, 360})) << "restored to its place";
}

// Guards against WM_CLOSE destroying a window behind the application's back,
// and against a window's end going unnoticed.
TEST_F(Win32Windows, CloseIsARequestAndDestructionIsReported) {
  ui::NativeWindow w = window();
  SendMessageA(hwnd(w), WM_CLOSE, 0, 0);
  EXPECT_EQ(sink.log, std::vector<std::string>{"closeRequest"});
  EXPECT_TRUE(system.isWindow(w)) << "the application decides";
  system.destroyWindow(w);
  EXPECT_FALSE(system.isWindow(w));
  EXPECT_EQ(sink.log.back(), "destroyed");
  EXPECT_EQ(sink.events.back().window, w);
}

// Guards against Shift+Esc or Ctrl+Esc closing a window, and input for the
// edit child being reported for the wrong window or place.
TEST_F(Win32Input, ModifierBitsAreReadWhenTheKeyIsHandled) {
  ui::NativeWindow w = window();
  struct Case {
    std::vector<int> held;
    unsigned keys;
  } cases[] = {
      {{}, 0},
      {{VK_CONTROL}, ui::keyCtrl},
      {{VK_SHIFT}, ui::keyShift},
      {{VK_MENU}, ui::keyAlt},
      {{VK_CONTROL, VK_SHIFT}, ui::keyCtrl | ui::keyShift},
  };
  for (const Case& c : cases) {
    BYTE state[256] = {};
    for (int vk : c.held) state[vk] = 0x80;
    SetKeyboardState(state);
    drainQueue();  // the character that the last case's key made
    sink.events.clear();
    PostMessageA(hwnd(w), WM_KEYDOWN, VK_ESCAPE, 0);
    int code = 0;
    ASSERT_TRUE(system.dispatchNext(code));
    ASSERT_EQ(sink.events.size(), 2u) << "pre-translated, then handled";
    EXPECT_EQ(sink.events[0].type, ui::EventType::keyDown);
    EXPECT_EQ(sink.events[0].code, VK_ESCAPE);
    EXPECT_EQ(sink.events[0].keys, c.keys);
    EXPECT_EQ(sink.events[0].window, w);
  }
  BYTE none[256] = {};
  SetKeyboardState(none);
}

TEST_F(Win32Input, ConsumedInputGoesNoFurtherAndMouseIsInClientCoordinates) {
  ui::NativeWindow w = window();
  ui::EditSpec spec;
  spec.rect = {100, 50, 200, 24};
  ui::NativeWindow edit = system.createEdit(w, spec);
  ASSERT_NE(edit, nullptr);
  struct Case {
    const char* name;
    HWND target;
    LPARAM at;
    bool consume;
    int x, y;
    ui::NativeWindow child;
    std::vector<std::string> log;
  } cases[] = {
      {"window, passed on", hwnd(w), MAKELPARAM(40, 30), false, 40, 30, nullptr, {"pre:leftDown", "leftDown"}},
      {"window, consumed", hwnd(w), MAKELPARAM(40, 30), true, 40, 30, nullptr, {"pre:leftDown"}},
      // The edit handles its own press; only the pre-translation sees it.
      {"edit", hwnd(edit), MAKELPARAM(5, 6), false, 105, 56, edit, {"pre:leftDown"}},
  };
  for (const Case& c : cases) {
    sink.events.clear();
    sink.log.clear();
    sink.consume = [&](const ui::Event&) { return c.consume; };
    PostMessageA(c.target, WM_LBUTTONDOWN, MK_LBUTTON, c.at);
    int code = 0;
    ASSERT_TRUE(system.dispatchNext(code));
    std::vector<std::string> input;  // a press on the edit also moves the focus
    for (const std::string& entry : sink.log) {
      if (entry.rfind("focus", 0) != 0) input.push_back(entry);
    }
    EXPECT_EQ(input, c.log) << c.name;
    ASSERT_FALSE(sink.events.empty());
    EXPECT_EQ(sink.events[0].window, w) << c.name;
    EXPECT_EQ(sink.events[0].child, c.child) << c.name;
    EXPECT_EQ(sink.events[0].x, c.x) << c.name;
    EXPECT_EQ(sink.events[0].y, c.y) << c.name;
    PostMessageA(c.target, WM_LBUTTONUP, 0, c.at);
    drainQueue();
  }
  sink.consume = nullptr;
}

// Guards against the path box firing contentChanged for its initial text,
// or missing a change that a property write makes.
TEST_F(Win32Edit, TextChangeNoticesAndFocus) {
  ui::NativeWindow w = window();
  system.showWindow(w);
  drainQueue();
  sink.log.clear();
  ui::EditSpec spec;
  spec.rect = {20, 20, 300, 24};
  spec.text = "C:\\Program Files\\Quorin软件";
  ui::NativeWindow edit = system.createEdit(w, spec);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(sink.count("editChanged"), 0u) << "the initial text is no change";
  EXPECT_EQ(system.editText(edit), spec.text);
  EXPECT_EQ(GetParent(hwnd(edit)), hwnd(w));

  system.setEditText(edit, "D:\\考试");
  EXPECT_EQ(sink.count("editChanged"), 1u) << "the notice comes before setEditText returns";
  EXPECT_EQ(sink.events.back().child, edit);
  EXPECT_EQ(sink.events.back().window, w);
  EXPECT_EQ(system.editText(edit), "D:\\考试");
  system.setEditText(edit, "");
  EXPECT_EQ(system.editText(edit), "");

  sink.events.clear();
  sink.log.clear();
  system.setFocus(edit);
  EXPECT_EQ(system.focus(), edit);
  // As in the headless backend: the window's own loss first, then the edit's gain.
  EXPECT_EQ(sink.log, (std::vector<std::string>{"focusLost", "focusGained"}));
  ASSERT_EQ(sink.events.size(), 2u);
  EXPECT_EQ(sink.events[0].child, nullptr);
  EXPECT_EQ(sink.events[1].child, edit);
  sink.events.clear();
  sink.log.clear();
  system.setFocus(w);
  EXPECT_EQ(sink.log, (std::vector<std::string>{"focusLost", "focusGained"}));
  ASSERT_EQ(sink.events.size(), 2u);
  EXPECT_EQ(sink.events[0].child, edit);
  EXPECT_EQ(sink.events[1].child, nullptr);
}

TEST_F(Win32Edit, ColoursAnswerTheEditsColourQuestion) {
  ui::NativeWindow w = window();
  struct Case {
    const char* name;
    bool readOnly;
    UINT message;  // a read-only edit asks with WM_CTLCOLORSTATIC
  } cases[] = {{"editable", false, WM_CTLCOLOREDIT}, {"read-only", true, WM_CTLCOLORSTATIC}};
  for (const Case& c : cases) {
    ui::EditSpec spec;
    spec.rect = {20, 20, 300, 24};
    spec.readOnly = c.readOnly;
    spec.textColour = 0x000080;  // dark red, as 0x00BBGGRR
    spec.backColour = 0xE0F0FF;
    ui::NativeWindow edit = system.createEdit(w, spec);
    ASSERT_NE(edit, nullptr);
    HDC dc = GetDC(hwnd(edit));
    const LRESULT brush = SendMessageA(hwnd(w), c.message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
    EXPECT_NE(brush, 0) << c.name;
    EXPECT_EQ(GetTextColor(dc), RGB(0x80, 0, 0)) << c.name;
    EXPECT_EQ(GetBkColor(dc), RGB(0xFF, 0xF0, 0xE0)) << c.name;
    ReleaseDC(hwnd(edit), dc);
    system.destroyWindow(edit);
    EXPECT_FALSE(system.isWindow(edit));
    EXPECT_TRUE(system.isWindow(w)) << "an edit goes alone";
  }
}

// Guards against a window that repaints for ever (an unvalidated paint) and
// a back buffer that never reaches the screen.
TEST_F(Win32Paint, PaintCarriesTheUpdateRectAndValidates) {
  ui::NativeWindow w = window();
  system.showWindow(w);
  drainQueue();
  sink.events.clear();
  sink.log.clear();
  system.invalidate(w, ui::Rect{10, 20, 30, 40});
  runUntil(w, "paint");
  const ui::Event& paint = sink.events[sink.indexOf("paint")];
  EXPECT_EQ(paint.rect, (ui::Rect{10, 20, 30, 40}));
  EXPECT_FALSE(GetUpdateRect(hwnd(w), nullptr, FALSE)) << "the paint validated the window";
}

TEST_F(Win32Paint, PresentPutsTheBufferOnTheScreen) {
  ui::NativeWindow w = window();
  system.showWindow(w);
  drainQueue();
  std::vector<std::uint32_t> pixels(550 * 360, 0x00FFFFFF);  // white
  for (int y = 100; y < 120; ++y) {
    for (int x = 200; x < 240; ++x) pixels[y * 550 + x] = 0x00FF0000;  // red, as BGRA
  }
  system.present(w, ui::PixelView{pixels.data(), 550, 360}, ui::Rect{0, 0, 550, 360});
  GdiFlush();
  HDC dc = GetDC(hwnd(w));
  EXPECT_EQ(GetPixel(dc, 210, 110), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 10, 10), RGB(255, 255, 255));
  // Only the area asked for changes.
  std::vector<std::uint32_t> black(550 * 360, 0);
  system.present(w, ui::PixelView{black.data(), 550, 360}, ui::Rect{0, 0, 100, 100});
  GdiFlush();
  EXPECT_EQ(GetPixel(dc, 10, 10), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 210, 110), RGB(255, 0, 0));
  ReleaseDC(hwnd(w), dc);
}

// Guards against a current directory one level off, or "C:" (the drive's
// current directory) instead of the root, or a GBK trail byte taken for "\".
TEST(Win32Process, FolderOfTheExecutable) {
  struct Case {
    std::string path, folder;
  } cases[] = {
      {"C:\\Downloads\\setup.exe", "C:\\Downloads"},
      {"C:\\setup.exe", "C:\\"},
      {"\\\\server\\share\\setup.exe", "\\\\server\\share"},
      {"D:\\Quorin软件\\a\\setup.exe", "D:\\Quorin软件\\a"},
      {"E:\\\x81\x5C\\setup.exe", "E:\\\x81\x5C"},  // 乗: its second byte is 0x5C
      {"E:\\\x81\x5Csetup.exe", "E:\\"},
      {"setup.exe", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ui::folderOfPath(c.path), c.folder) << c.path;
}

}  // namespace

namespace {

// Guards against a window that cannot be moved by its background: the
// system's move loop, started from a press, follows the mouse until release.
TEST_F(Win32Input, DragMovesTheWindowWithTheMouse) {
  ui::NativeWindow w = window({0, 0, 120, 80});
  system.showWindow(w);
  SetWindowPos(hwnd(w), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  drainQueue();
  sink.consume = [&](const ui::Event& e) {
    if (e.type != ui::EventType::leftDown) return false;
    // The rest of the drag comes from a user's hand while the move loop runs.
    std::thread hand([] {
      auto move = [](int x, int y, DWORD extra) {
        INPUT in = {};
        in.type = INPUT_MOUSE;
        in.mi.dx = (x * 65535) / (GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = (y * 65535) / (GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | extra;
        SendInput(1, &in, sizeof in);
        Sleep(50);
      };
      Sleep(100);
      for (int step = 1; step <= 5; ++step) move(60 + 20 * step, 40 + 10 * step, 0);
      move(160, 90, MOUSEEVENTF_LEFTUP);
    });
    system.beginDrag(e.window);  // returns when the button is up
    hand.join();
    return true;
  };
  INPUT in[2] = {};
  for (INPUT& i : in) i.type = INPUT_MOUSE;
  in[0].mi.dx = (60 * 65535) / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in[0].mi.dy = (40 * 65535) / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  ASSERT_EQ(SendInput(2, in, sizeof(INPUT)), 2u);
  runUntil(w, "pre:leftDown");
  sink.consume = nullptr;
  EXPECT_EQ(system.windowRect(w), (ui::Rect{100, 50, 120, 80}));
}

}  // namespace
