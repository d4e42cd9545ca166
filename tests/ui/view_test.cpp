// A window's controls drawn into its back buffer and presented, on the
// headless backend: stacking, cutting at a parent's edges, outlines inside
// the edges, labels that let what is below show through; and which presses
// move the window.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "ui/backend/headless/headless.h"
#include "ui/controls/window_view.h"

namespace {

using namespace ui;

constexpr std::uint32_t kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00, kWhite = 0xFFFFFF;

// 0x00BBGGRR as the buffer holds it (0xAARRGGBB, alpha ignored).
std::uint32_t asPixel(std::uint32_t colour) {
  return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

ControlRecord control(Kind kind, const char* name, int id, Rect rect, int parent = kNoParent) {
  ControlRecord r{kind, name, id, rect, parent, flagVisible, {}, {}};
  return r;
}

// One window and its view; paints reach the view as the application routes them.
struct View : EventSink {
  View(std::vector<ControlRecord> records, int width = 700, int height = 100)
      : controls(std::move(records)) {
    system.setSink(this);
    window.bgcolour = kWhite;
    window.dragbyclient = true;
    WindowSpec spec;
    spec.rect = Rect{0, 0, width, height};
    native = system.createWindow(spec);
    system.showWindow(native);
    view = std::make_unique<WindowView>(system, native, window, windowBindings, controls, width, height, gate,
                                        [this] { return system.isWindow(native); });
    view->paint(Rect{0, 0, width, height});
  }
  ~View() override { system.setSink(nullptr); }
  bool preTranslate(const Event& e) override { return view && view->preTranslate(e); }
  void handle(const Event& e) override {
    if (!view) return;
    if (e.type == EventType::paint) {
      view->paint(e.rect);
    } else {
      view->handle(e);
    }
  }
  std::uint32_t at(int x, int y) {
    const auto image = system.screenImage(native);
    return image[static_cast<std::size_t>(y) * system.windowRect(native).width + x] & 0xFFFFFF;
  }
  bool press(int x, int y) {
    Event e(EventType::leftDown);
    e.window = native;
    e.x = x;
    e.y = y;
    return view->preTranslate(e);
  }

  HeadlessWindowSystem system;
  Settings window;
  std::vector<Binding> windowBindings;
  std::vector<ControlRecord> controls;
  EventGate gate;
  NativeWindow native = nullptr;
  std::unique_ptr<WindowView> view;
};

// Guards against a later sibling drawn over an earlier one.
TEST(WindowView, EarlierSiblingLiesOnTop) {
  auto top = control(Kind::Label, "top", 1, {0, 0, 50, 20});
  top.settings.bgcolour = kRed;
  auto below = control(Kind::Label, "below", 2, {25, 0, 50, 20});
  below.settings.bgcolour = kBlue;
  View v({top, below});
  EXPECT_EQ(v.at(30, 10), asPixel(kRed));
  EXPECT_EQ(v.at(60, 10), asPixel(kBlue));
  EXPECT_EQ(v.at(80, 10), asPixel(kWhite));
}

// Guards against a widened label showing past its box while its width reads whole.
TEST(WindowView, LabelWidenedInsideAShapeBoxShowsOnlyUpToTheBoxEdge) {
  auto box = control(Kind::ShapeBox, "box", 1, {10, 10, 536, 30});
  box.settings.bgcolour = kBlue;
  auto label = control(Kind::Label, "bar", 2, {0, 0, 0, 30}, 1);
  label.settings.bgcolour = kRed;
  View v({label, box});
  const int bar = v.view->tree().indexOfName("bar");
  int code = 0;
  v.system.dispatchNext(code);  // the show's paint
  ASSERT_EQ(v.at(20, 20), asPixel(kBlue));
  v.view->writeWidth(bar, 667);
  v.system.dispatchNext(code);  // the repaint that the write asked for
  EXPECT_EQ(v.view->tree().rectOf(bar).width, 667);
  int red = 0;
  for (int x = 0; x < 700; ++x) red += v.at(x, 20) == asPixel(kRed);
  EXPECT_EQ(red, 536);
  EXPECT_EQ(v.at(10 + 536, 20), asPixel(kWhite));
}

// Guards against an outline drawn outside the box or over its inside.
TEST(WindowView, SolidOutlineLiesInsideTheEdges) {
  auto box = control(Kind::ShapeBox, "box", 1, {10, 10, 20, 12});
  box.settings.bgcolour = kBlue;
  box.settings.linestyle = 1;
  box.settings.linewidth = 2;
  box.settings.linecolour = kGreen;
  View v({box});
  struct Case {
    int x, y;
    std::uint32_t colour;
  } cases[] = {
      {9, 9, kWhite}, {10, 10, kGreen}, {11, 11, kGreen}, {12, 12, kBlue},
      {29, 21, kGreen}, {28, 20, kGreen}, {27, 19, kBlue}, {30, 22, kWhite},
  };
  for (const Case& c : cases) EXPECT_EQ(v.at(c.x, c.y), asPixel(c.colour)) << c.x << "," << c.y;
}

// Guards against a transparent label painting a background over what is below.
TEST(WindowView, TransparentLabelShowsTheBoxBetweenItsLetters) {
  auto label = control(Kind::TransLabel, "title", 1, {0, 0, 100, 20}, 2);
  label.settings.caption = "A B";
  label.settings.textcolour = kWhite;
  label.settings.font.stored = true;
  label.settings.font.height = -20;
  auto box = control(Kind::PicBox, "back", 2, {0, 0, 200, 40});
  box.settings.bgcolour = kBlue;
  View v({label, box});
  int white = 0, blue = 0;
  for (int x = 0; x < 100; ++x) {
    white += v.at(x, 10) == asPixel(kWhite);
    blue += v.at(x, 10) == asPixel(kBlue);
  }
  EXPECT_GT(white, 0) << "the letters are drawn";
  EXPECT_GT(blue, 0) << "the box shows around and between them";
  EXPECT_EQ(white + blue, 100);
}

// Guards against the wrong kinds moving the window, or a moving press
// reaching its control.
TEST(WindowView, PressesOnLabelsAndBoxesMoveTheWindowOthersDoNot) {
  int presses = 0;
  auto pressed = [&](const std::vector<std::int32_t>&) -> std::optional<std::int32_t> {
    ++presses;
    return std::nullopt;
  };
  std::vector<ControlRecord> records = {
      control(Kind::Label, "label", 1, {0, 0, 10, 10}),
      control(Kind::PicBox, "picbox", 2, {10, 0, 10, 10}),
      control(Kind::ShapeBox, "shape", 3, {20, 0, 10, 10}),
      control(Kind::TransLabel, "trans", 4, {30, 0, 10, 10}),
      control(Kind::PicBtn, "button", 5, {40, 0, 10, 10}),
  };
  for (auto& r : records) r.bindings.push_back({ev::leftButtonPressed, pressed});
  struct Case {
    int x;
    bool drags, consumed;
    int presses;
  } cases[] = {
      {5, true, true, 0}, {15, true, true, 0}, {25, true, true, 0},
      {35, false, false, 1}, {45, false, false, 1},
      {95, true, false, 0},  // the window's background: moves, and the press goes on
  };
  for (const Case& c : cases) {
    View v(records);
    presses = 0;
    EXPECT_EQ(v.press(c.x, 5), c.consumed) << c.x;
    EXPECT_EQ(v.system.dragging() == v.native, c.drags) << c.x;
    EXPECT_EQ(presses, c.presses) << c.x;
  }
}

}  // namespace

namespace {

// Guards against shared events reaching the wrong control, with the wrong
// arguments, or passing messages on that their handler kept back.
TEST(WindowView, SharedEventsReachTheirControlWithTheirArguments) {
  std::vector<std::string> calls;
  auto recorder = [&calls](const char* who, std::optional<std::int32_t> result) {
    return [&calls, who, result](const std::vector<std::int32_t>& a) -> std::optional<std::int32_t> {
      std::string line = who;
      for (std::int32_t v : a) line += " " + std::to_string(v);
      calls.push_back(line);
      return result;
    };
  };
  auto trans = control(Kind::TransLabel, "trans", 1, {30, 0, 10, 10});
  trans.bindings = {{ev::leftButtonPressed, recorder("trans-press", std::nullopt)},
                    {ev::mouseMoved, recorder("trans-move", std::nullopt)}};
  auto button = control(Kind::PicBtn, "button", 2, {40, 0, 10, 10});
  button.bindings = {{ev::leftButtonPressed, recorder("button-press", 0)},
                     {ev::rightButtonReleased, recorder("button-right-up", 1)}};
  auto off = control(Kind::PicBtn, "off", 3, {50, 0, 10, 10});
  off.flags |= flagDisabled;
  off.bindings = {{ev::leftButtonPressed, recorder("off-press", std::nullopt)},
                  {ev::keyPressed, recorder("off-key", std::nullopt)}};
  auto edit = control(Kind::EditBox, "edit", 4, {0, 20, 100, 20});
  edit.bindings = {{ev::keyPressed, recorder("edit-key", std::nullopt)},
                   {ev::characterTyped, recorder("edit-char", std::nullopt)}};
  View v({trans, button, off, edit});
  v.window.dragbyclient = false;
  v.windowBindings = {{ev::leftButtonPressed, recorder("window-press", std::nullopt)},
                      {ev::wheelTurned, recorder("window-wheel", std::nullopt)}};
  ui::EditSpec spec;
  spec.rect = Rect{0, 20, 100, 20};
  const NativeWindow editChild = v.system.createEdit(v.native, spec);
  v.view->setNative(v.view->tree().indexOfName("edit"), editChild);
  const NativeWindow offChild = v.system.createEdit(v.native, spec);
  v.view->setNative(v.view->tree().indexOfName("off"), offChild);

  struct Case {
    EventType type;
    int x, y, code;
    unsigned keys;
    NativeWindow child;
    bool consumed;
    const char* call;  // the handler call it gives, or nullptr
  } cases[] = {
      {EventType::leftDown, 35, 7, 0, keyCtrl, nullptr, false, "trans-press 5 7 1"},
      {EventType::mouseMove, 31, 2, 0, 0, nullptr, false, "trans-move 1 2 0"},
      {EventType::leftDown, 45, 5, 0, 0, nullptr, true, "button-press 5 5 0"},  // returned 0
      {EventType::rightUp, 41, 1, 0, keyShift | keyAlt, nullptr, false, "button-right-up 1 1 6"},
      {EventType::leftDown, 55, 5, 0, 0, nullptr, true, nullptr},  // disabled: refuses the mouse
      {EventType::keyDown, 0, 0, 'K', 0, offChild, false, nullptr},  // disabled: keys go on unchanged
      {EventType::leftDown, 95, 5, 0, 0, nullptr, false, "window-press 95 5 0"},
      {EventType::wheel, 95, 5, -2, 0, nullptr, false, "window-wheel -2 0"},
      {EventType::keyDown, 0, 0, 0x65, keyShift, editChild, false, "edit-key 53 2"},  // keypad 5 is '5'
      {EventType::character, 0, 0, 0xC8, 0, editChild, false, "edit-char 200"},
  };
  for (const Case& c : cases) {
    calls.clear();
    Event e(c.type);
    e.window = v.native;
    e.x = c.x;
    e.y = c.y;
    e.code = c.code;
    e.keys = c.keys;
    e.child = c.child;
    EXPECT_EQ(v.view->preTranslate(e), c.consumed) << static_cast<int>(c.type) << " at " << c.x;
    EXPECT_EQ(calls, c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{})
        << static_cast<int>(c.type) << " at " << c.x;
  }
}

// Guards against a control touching its window after a handler destroyed it.
TEST(WindowView, MessageIsDroppedWhenTheHandlerDestroyedTheWindow) {
  auto label = control(Kind::TransLabel, "t", 1, {0, 0, 10, 10});
  View* view = nullptr;
  label.bindings = {{ev::leftButtonPressed, [&](const std::vector<std::int32_t>&) -> std::optional<std::int32_t> {
                       view->system.destroyWindow(view->native);
                       return std::nullopt;
                     }}};
  View v({label});
  view = &v;
  EXPECT_TRUE(v.press(5, 5)) << "dropped, although the handler gave no result";
}

}  // namespace

namespace {

// Guards against a button clicking on a release outside, not clicking on a
// release inside, or losing the mouse while it is held.
TEST(WindowView, PictureButtonClicksOnAReleaseInsideOnly) {
  // The window lies at 0,0 on the simulated screen; the button at 40,0 10x10.
  struct Step {
    EventType type;
    int x, y;
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
    int clicks;
  } cases[] = {
      {"press and release inside", {{EventType::leftDown, 45, 5}, {EventType::leftUp, 45, 5}}, 1},
      {"press inside, release outside the window",
       {{EventType::leftDown, 45, 5}, {EventType::mouseMove, 900, 500}, {EventType::leftUp, 900, 500}}, 0},
      {"out and back in before the release",
       {{EventType::leftDown, 45, 5}, {EventType::mouseMove, 80, 5}, {EventType::mouseMove, 42, 3},
        {EventType::leftUp, 42, 3}}, 1},
      {"press on the background, release on the button",
       {{EventType::leftDown, 95, 50}, {EventType::mouseMove, 45, 5}, {EventType::leftUp, 45, 5}}, 1},
      {"hover only", {{EventType::mouseMove, 45, 5}, {EventType::mouseMove, 95, 50}}, 0},
  };
  for (const Case& c : cases) {
    int clicks = 0;
    auto button = control(Kind::PicBtn, "button", 1, {40, 0, 10, 10});
    button.bindings = {{ev::clicked, [&](const std::vector<std::int32_t>&) -> std::optional<std::int32_t> {
                          ++clicks;
                          return std::nullopt;
                        }}};
    View v({button});
    v.window.dragbyclient = false;
    std::uint64_t at = 10;
    for (const Step& s : c.steps) v.system.scriptMouse(at += 10, s.type, s.x, s.y);
    v.system.setTimer(v.native, 99, 1000);  // something to wait for after the last step
    int code = 0;
    while (v.system.now() < 1000) v.system.dispatchNext(code);
    EXPECT_EQ(clicks, c.clicks) << c.what;
  }
}

// Guards against the keyboard clicking a picture button.
TEST(WindowView, KeysNeverClickAPictureButton) {
  int clicks = 0;
  auto button = control(Kind::PicBtn, "button", 1, {40, 0, 10, 10});
  button.bindings = {{ev::clicked, [&](const std::vector<std::int32_t>&) -> std::optional<std::int32_t> {
                        ++clicks;
                        return std::nullopt;
                      }}};
  View v({button});
  v.system.scriptMouse(10, EventType::mouseMove, 45, 5);
  for (int key : {0x20, 0x0D}) v.system.scriptKey(20, key);
  v.system.setTimer(v.native, 99, 100);
  int code = 0;
  while (v.system.now() < 100) v.system.dispatchNext(code);
  EXPECT_EQ(clicks, 0);
}

}  // namespace

namespace {

// Guards against Tab skipping or reaching the wrong controls, and Esc or
// Enter acting against the window's settings.
TEST(WindowView, WindowKeysMoveTheFocusAndClose) {
  auto first = control(Kind::EditBox, "first", 1, {0, 0, 50, 20});
  first.flags |= flagTabStop;
  auto skipped = control(Kind::EditBox, "skipped", 2, {0, 20, 50, 20});  // no tab stop
  auto off = control(Kind::EditBox, "off", 3, {0, 40, 50, 20});
  off.flags |= flagTabStop | flagDisabled;
  auto second = control(Kind::EditBox, "second", 4, {0, 60, 50, 20});
  second.flags |= flagTabStop;
  auto notes = control(Kind::EditBox, "notes", 5, {60, 0, 50, 60});
  notes.flags |= flagTabStop;
  notes.settings.multiline = true;
  View v({first, skipped, off, second, notes});
  int closes = 0;
  v.view->setCloseAction([&] { ++closes; });
  auto key = [&](int code, unsigned keys) {
    Event e(EventType::keyDown);
    e.window = v.native;
    e.code = code;
    e.keys = keys;
    e.child = v.system.focus() == v.native ? nullptr : v.system.focus();
    return v.view->preTranslate(e);
  };
  auto focusName = [&] {
    const int f = v.view->focused();
    return f == kNoControl ? std::string("window") : v.view->tree().record(f).name;
  };
  std::string trail;
  const unsigned shift = keyShift;
  for (unsigned keys : {0u, 0u, 0u, 0u, shift, shift}) {
    EXPECT_TRUE(key(0x09, keys));
    trail += focusName() + " ";
  }
  EXPECT_EQ(trail, "first second notes first notes second ");
  v.window.escapecloses = true;
  EXPECT_FALSE(key(0x1B, keyShift)) << "Shift+Esc does not close";
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(key(0x1B, 0)) << "Esc closes, also while an edit box has the focus";
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(key(0x0D, 0)) << "Enter moves nothing while entermovesfocus is off";
  v.window.entermovesfocus = true;
  EXPECT_TRUE(key(0x0D, 0));
  EXPECT_EQ(focusName(), "notes");
  EXPECT_FALSE(key(0x0D, 0)) << "a multi-line box keeps Enter for itself";
  EXPECT_EQ(focusName(), "notes");
}

}  // namespace

namespace {

// Guards against the screenshot switch writing nothing, or something that is
// not the window's picture.
TEST(WindowView, ScreenshotSwitchWritesTheBackBufferAsPng) {
  const std::string dir = ::testing::TempDir();
#ifdef _WIN32
  _putenv_s("VELMARO_SCREENSHOT_DIR", dir.c_str());
#else
  setenv("VELMARO_SCREENSHOT_DIR", dir.c_str(), 1);
#endif
  auto label = control(Kind::Label, "l", 1, {0, 0, 10, 10});
  label.settings.bgcolour = kRed;
  View v({label}, 30, 20);
  v.view->setScreenshotName("screenshot-test");
  v.view->paint(Rect{0, 0, 30, 20});
#ifdef _WIN32
  _putenv_s("VELMARO_SCREENSHOT_DIR", "");
#else
  unsetenv("VELMARO_SCREENSHOT_DIR");
#endif
  std::FILE* f = std::fopen((dir + "/screenshot-test.png").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char head[24] = {};
  const std::size_t n = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  ASSERT_EQ(n, sizeof head);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(head) + 1, 3), "PNG");
  // The header chunk gives the window's size, big-endian.
  EXPECT_EQ((head[16] << 24) | (head[17] << 16) | (head[18] << 8) | head[19], 30);
  EXPECT_EQ((head[20] << 24) | (head[21] << 16) | (head[22] << 8) | head[23], 20);
  std::remove((dir + "/screenshot-test.png").c_str());
}

}  // namespace
