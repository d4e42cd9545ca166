// The control tree's geometry: stacking in template order, containment and
// cutting at a parent's edges, and the width write's clamping and repaint
// area; and event delivery's first-binding and suspension rules.
#include <gtest/gtest.h>

#include "ui/controls/events.h"
#include "ui/controls/tree.h"

namespace {

using namespace ui;

ControlRecord control(Kind kind, const char* name, int id, Rect rect, int parent = kNoParent,
                      unsigned flags = flagVisible) {
  ControlRecord r{kind, name, id, rect, parent, flags, {}, {}};
  return r;
}

// A small window: a box holding a label that runs past its right edge, a
// button over the box, a hidden container with a child, and a timer.
std::vector<ControlRecord> sample() {
  return {
      control(Kind::PicBtn, "button", 1, {10, 10, 40, 20}),
      control(Kind::ShapeBox, "box", 2, {0, 0, 100, 50}),
      control(Kind::Label, "label", 3, {50, 10, 200, 20}, 2),
      control(Kind::PicBox, "hidden", 4, {0, 60, 100, 30}, kNoParent, 0),
      control(Kind::TransLabel, "inHidden", 5, {0, 0, 50, 10}, 4),
      control(Kind::Timer, "timer", 6, {0, 0, 500, 500}),
  };
}

// Guards against the wrong control answering a click where controls overlap,
// a child answering outside its parent, or hidden controls answering at all.
TEST(ControlTree, HitTestFollowsStackingAndContainment) {
  const auto records = sample();
  Settings window;
  ControlTree tree(records, window, 300, 100);
  struct Case {
    int x, y;
    const char* expected;  // nullptr: the window's background
  } cases[] = {
      {15, 15, "button"},   // the earlier sibling lies on top
      {5, 5, "box"},
      {60, 15, "label"},    // a child over its container
      {120, 15, nullptr},   // the label's part beyond the box's edge is cut off
      {10, 70, nullptr},    // a hidden container hides its child
      {250, 90, nullptr},   // a timer is never there
  };
  for (const Case& c : cases) {
    const int hit = tree.hitTest(c.x, c.y);
    if (!c.expected) {
      EXPECT_EQ(hit, kNoControl) << c.x << "," << c.y;
    } else {
      ASSERT_NE(hit, kNoControl) << c.x << "," << c.y;
      EXPECT_EQ(tree.record(hit).name, c.expected) << c.x << "," << c.y;
    }
  }
}

// Guards against a widened child showing past its parent, and a width write
// that is not clamped or repaints too little.
TEST(ControlTree, WidthIsClampedAndTheShownPartStaysInsideTheParent) {
  const auto records = sample();
  Settings window;
  ControlTree tree(records, window, 300, 100);
  const int label = tree.indexOfName("label");
  struct Case {
    int write, stored;
  } cases[] = {{32628, 32627}, {-5, 0}, {667, 667}, {10, 10}};
  for (const Case& c : cases) {
    tree.setWidth(label, c.write);
    EXPECT_EQ(tree.rectOf(label).width, c.stored) << c.write;
  }
  tree.setWidth(label, 10);
  const Rect repaint = tree.setWidth(label, 667);
  EXPECT_EQ(tree.rectOf(label).width, 667) << "reading width gives the whole width";
  EXPECT_EQ(tree.shownRectOf(label).width, 50) << "only up to the box's right edge shows";
  EXPECT_EQ(repaint.left, 50);
  EXPECT_EQ(repaint.width, 50) << "the newly covered area, cut at the box";
}

// Guards against an unbound event doing something, a second binding of an
// index running, or handlers running while a window is being built.
TEST(EventGate, FirstBindingRunsAndSuspensionRunsNothing) {
  std::vector<std::string> ran;
  std::vector<Binding> bindings{
      {ev::clicked, [&](const std::vector<std::int32_t>&) -> std::optional<std::int32_t> {
         ran.push_back("first");
         return std::nullopt;
       }},
      {ev::clicked, [&](const std::vector<std::int32_t>&) -> std::optional<std::int32_t> {
         ran.push_back("second");
         return 1;
       }},
      {ev::leftButtonPressed, [&](const std::vector<std::int32_t>& a) -> std::optional<std::int32_t> {
         ran.push_back("press " + std::to_string(a.at(0)) + "," + std::to_string(a.at(1)));
         return 0;
       }},
  };
  EventGate gate;
  EventResult r = gate.fire(bindings, ev::clicked);
  EXPECT_TRUE(r.handled);
  EXPECT_FALSE(r.value.has_value());
  EXPECT_FALSE(r.discards()) << "no result lets the message through";
  EXPECT_TRUE(gate.fire(bindings, ev::leftButtonPressed, {3, 4}).discards()) << "a returned 0 keeps it";
  EXPECT_FALSE(gate.fire(bindings, ev::mouseMoved).handled);
  gate.suspend();
  gate.suspend();
  gate.resume();
  EXPECT_FALSE(gate.fire(bindings, ev::clicked).handled);
  gate.resume();
  gate.resume();  // never below zero
  gate.suspend();
  EXPECT_FALSE(gate.open());
  gate.resume();
  EXPECT_TRUE(gate.fire(bindings, ev::clicked).handled);
  EXPECT_EQ(ran, (std::vector<std::string>{"first", "press 3,4", "first"}));
}

}  // namespace
