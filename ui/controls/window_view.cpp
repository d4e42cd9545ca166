#include "ui/controls/window_view.h"

namespace ui {
namespace {

// Kinds whose press moves a window with dragbyclient on (the press is then
// kept from them); the window's own background moves it too, but there the
// press still goes on.
bool dragsWindow(Kind k) { return k == Kind::Label || k == Kind::PicBox || k == Kind::ShapeBox; }

}  // namespace

std::vector<std::int32_t> pointerArgs(const Event& e, const Rect& controlInWindow) {
  // The low and high words of the message's position, taken as unsigned,
  // relative to the control that receives it.
  const auto x = static_cast<std::uint16_t>(e.x - controlInWindow.left);
  const auto y = static_cast<std::uint16_t>(e.y - controlInWindow.top);
  return {x, y, static_cast<std::int32_t>(e.keys)};
}

WindowView::WindowView(WindowSystem& system, NativeWindow native, const Settings& window,
                       const std::vector<ControlRecord>& controls, int width, int height,
                       const EventGate& gate, std::function<bool()> alive)
    : system_(system),
      native_(native),
      window_(window),
      tree_(controls, window, width, height),
      canvas_(makeSoftwareCanvas(width, height)),
      gate_(gate),
      alive_(std::move(alive)) {}

void WindowView::paint(Rect area) {
  tree_.draw(*canvas_, area);
  system_.present(native_, canvas_->pixels(), area);
}

void WindowView::invalidate(Rect area) {
  if (!isEmpty(area)) system_.invalidate(native_, area);
}

bool WindowView::preTranslate(const Event& e) {
  if (e.type != EventType::leftDown) return false;
  const int hit = tree_.hitTest(e.x, e.y);
  if (hit == kNoControl) {
    // The window's background: it starts moving, and the press still goes on.
    if (window_.dragbyclient) system_.beginDrag(native_);
    return false;
  }
  const ControlRecord& rec = tree_.record(hit);
  if (rec.flags & flagDisabled) return true;  // a disabled control refuses the mouse
  if (window_.dragbyclient && dragsWindow(rec.kind)) {
    system_.beginDrag(native_);
    return true;
  }
  const EventResult r = gate_.fire(rec.bindings, ev::leftButtonPressed, pointerArgs(e, tree_.windowRectOf(hit)));
  if (!alive_()) return true;  // the handler destroyed the window: the press is dropped
  return r.discards();
}

void WindowView::writeWidth(int control, int width) {
  invalidate(tree_.setWidth(control, width));
}

}  // namespace ui
