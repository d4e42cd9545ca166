#include "ui/controls/window_view.h"

#include <cstdlib>

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
                       const std::vector<Binding>& windowBindings,
                       const std::vector<ControlRecord>& controls, int width, int height,
                       const EventGate& gate, std::function<bool()> alive)
    : system_(system),
      native_(native),
      window_(window),
      windowBindings_(windowBindings),
      tree_(controls, window, width, height),
      canvas_(system.createCanvas(width, height)),
      gate_(gate),
      alive_(std::move(alive)) {
  if (const char* dir = std::getenv("VELMARO_SCREENSHOT_DIR")) screenshotDir_ = dir;
  // The live controls that are more than drawing: timers count from here,
  // edit boxes get their native child with the record's text.
  for (int i = 0; i < tree_.count(); ++i) {
    const ControlRecord& rec = tree_.record(i);
    if (rec.kind == Kind::Timer) {
      // Control ids are unique in a window; 0 is kept clear of them.
      timers_.emplace_back(i, std::make_unique<TimerKind>(system_, native_, static_cast<unsigned>(rec.id) + 1,
                                                          rec, gate_));
    } else if (rec.kind == Kind::PicBtn) {
      buttons_.emplace_back(i, PicBtnState(rec.settings, !(rec.flags & flagDisabled)));
    } else if (rec.kind == Kind::EditBox) {
      auto box = std::make_unique<EditBoxKind>(system_, native_, rec, tree_.windowRectOf(i),
                                               canvas_->buttonFace(), gate_);
      setNative(i, box->native());
      edits_.emplace_back(i, std::move(box));
    }
  }
}

PicBtnState* WindowView::buttonOf(int control) {
  for (auto& [i, b] : buttons_) {
    if (i == control) return &b;
  }
  return nullptr;
}

bool WindowView::handleButtons(const Event& e) {
  const int hit = tree_.hitTest(e.x, e.y);
  auto inside = [&](int i) { return i == hit; };
  // Applies one button's answer: the repaint and the mouse first, the click last.
  auto apply = [this](int i, const PicBtnResult& r) {
    if (r.redraw) invalidate(tree_.shownRectOf(i));
    if (r.wantsCapture) {
      holding_ = i;
      system_.captureMouse(native_, true);
    }
    if (r.releaseCapture) {
      if (holding_ == i) holding_ = kNoControl;
      system_.captureMouse(native_, false);
    }
    if (r.fireClicked) {
      gate_.fire(tree_.record(i).bindings, ev::clicked);  // may destroy the window, and this view
      return false;
    }
    return true;
  };
  switch (e.type) {
    case EventType::mouseMove: {
      // A press that began elsewhere counts too, as long as no button holds the mouse.
      const bool held = leftHeld_ || holding_ != kNoControl;
      for (auto& [i, b] : buttons_) {
        // The button holding the mouse, the one under the pointer, and any
        // that still follows the pointer it has lost.
        if (i == holding_ || inside(i) || b.following()) apply(i, b.pointerMoved(inside(i), held));
      }
      return hit != kNoControl && buttonOf(hit);
    }
    case EventType::mouseLeave:
      for (auto& [i, b] : buttons_) {
        if (b.following() && i != holding_) apply(i, b.pointerLeft());
      }
      return false;
    case EventType::leftDown: {
      PicBtnState* b = buttonOf(hit);
      if (!b) return false;
      apply(hit, b->leftPressed(true));
      return true;
    }
    case EventType::leftUp: {
      const int target = holding_ != kNoControl ? holding_ : hit;
      PicBtnState* b = buttonOf(target);
      if (!b) return false;
      apply(target, b->leftReleased(inside(target)));
      return true;
    }
    default:
      return false;
  }
}

TimerKind* WindowView::timerOf(int control) const {
  for (const auto& [i, t] : timers_) {
    if (i == control) return t.get();
  }
  return nullptr;
}

EditBoxKind* WindowView::editOf(int control) const {
  for (const auto& [i, box] : edits_) {
    if (i == control) return box.get();
  }
  return nullptr;
}

bool WindowView::handle(const Event& e) {
  switch (e.type) {
    case EventType::mouseMove:
    case EventType::mouseLeave:
    case EventType::leftDown:
    case EventType::leftUp:
      return handleButtons(e);
    case EventType::timer:
      for (const auto& [i, t] : timers_) {
        if (t->id() == static_cast<unsigned>(e.code)) {
          t->onTick();  // may destroy the window: nothing of this view is touched after it
          return true;
        }
      }
      return false;
    case EventType::editChanged:
    case EventType::focusGained:
    case EventType::focusLost: {
      EditBoxKind* box = editOf(controlOfChild(e.child));
      if (!box) return false;
      if (e.type == EventType::editChanged) box->onNativeChange();
      if (e.type == EventType::focusGained) box->onFocusGained();
      if (e.type == EventType::focusLost) box->onFocusLost();
      return true;
    }
    default:
      return false;
  }
}

PropertyValue WindowView::readProperty(int control, int index) const {
  const Rect r = tree_.rectOf(control);
  const ControlRecord& rec = tree_.record(control);
  switch (index) {
    case prop::left: return r.left;
    case prop::top: return r.top;
    case prop::width: return r.width;
    case prop::height: return r.height;
    case prop::visible: return (rec.flags & flagVisible) != 0;
    case prop::disabled: return (rec.flags & flagDisabled) != 0;
    case 8:
      if (const EditBoxKind* box = editOf(control)) return box->readContent();
      if (const TimerKind* t = timerOf(control)) return t->period();
      break;
    default: break;
  }
  return std::int32_t{0};
}

void WindowView::writeProperty(int control, int index, const PropertyValue& value) {
  if (index == prop::width) {
    if (const auto* w = std::get_if<std::int32_t>(&value)) writeWidth(control, *w);
  } else if (index == 8) {
    if (EditBoxKind* box = editOf(control)) {
      if (const auto* text = std::get_if<std::string>(&value)) box->writeContent(*text);  // may destroy us
    } else if (TimerKind* t = timerOf(control)) {
      if (const auto* p = std::get_if<std::int32_t>(&value)) t->writePeriod(*p);
    }
  }
}

void WindowView::paint(Rect area) {
  tree_.draw(*canvas_, area);
  system_.present(native_, canvas_->pixels(), area);
  if (!screenshotDir_.empty() && !screenshotName_.empty()) {
    writePng(canvas_->pixels(), screenshotDir_ + "/" + screenshotName_ + ".png");
  }
}

void WindowView::invalidate(Rect area) {
  if (!isEmpty(area)) system_.invalidate(native_, area);
}

namespace {

// The shared event an input message becomes, or 0 for none.
int sharedEvent(EventType t) {
  switch (t) {
    case EventType::leftDown: return ev::leftButtonPressed;
    case EventType::leftUp: return ev::leftButtonReleased;
    case EventType::leftDoubleClick: return ev::leftButtonDoubleClicked;
    case EventType::rightDown: return ev::rightButtonPressed;
    case EventType::rightUp: return ev::rightButtonReleased;
    case EventType::mouseMove: return ev::mouseMoved;
    case EventType::keyDown: return ev::keyPressed;
    case EventType::keyUp: return ev::keyReleased;
    case EventType::character: return ev::characterTyped;
    case EventType::wheel: return ev::wheelTurned;
    default: return 0;
  }
}

bool isMouse(EventType t) {
  return t == EventType::leftDown || t == EventType::leftUp || t == EventType::leftDoubleClick ||
         t == EventType::rightDown || t == EventType::rightUp || t == EventType::mouseMove ||
         t == EventType::wheel;
}

// A key code as handlers see it: the keypad's digits count as the digit keys.
std::int32_t keyCode(int vk) { return (vk >= 0x60 && vk <= 0x69) ? '0' + (vk - 0x60) : vk; }

}  // namespace

int WindowView::controlOfChild(NativeWindow child) const {
  if (!child) return kNoControl;
  for (const auto& [control, native] : natives_) {
    if (native == child) return control;
  }
  return kNoControl;
}

int WindowView::focused() const {
  const NativeWindow f = system_.focus();
  const int edit = controlOfChild(f);
  return edit != kNoControl ? edit : focused_;
}

void WindowView::moveFocus(int from, bool backwards) {
  // Tab stops in template order: shown, enabled, with the tab-stop flag.
  std::vector<int> stops;
  for (int i = 0; i < tree_.count(); ++i) {
    const ControlRecord& r = tree_.record(i);
    if ((r.flags & flagTabStop) && !(r.flags & flagDisabled) && tree_.isShown(i)) stops.push_back(i);
  }
  if (stops.empty()) return;
  int next = backwards ? stops.back() : stops.front();
  for (std::size_t k = 0; k < stops.size(); ++k) {
    if (stops[k] != from) continue;
    next = stops[(k + (backwards ? stops.size() - 1 : 1)) % stops.size()];
  }
  focused_ = next;
  for (const auto& [i, native] : natives_) {
    if (i == next) {
      system_.setFocus(native);
      return;
    }
  }
  system_.setFocus(native_);  // a windowless stop: the window keeps the keyboard
}

bool WindowView::windowKey(const Event& e, int target) {
  constexpr int kTab = 0x09, kEnter = 0x0D, kEscape = 0x1B;
  if (e.code == kTab && (e.keys == 0 || e.keys == keyShift)) {
    moveFocus(focused(), e.keys == keyShift);
    return true;
  }
  if (e.code == kEscape && e.keys == 0 && window_.escapecloses && close_) {
    close_();  // destroys this view: nothing of it is touched after
    return true;
  }
  if (e.code == kEnter && e.keys == 0 && window_.entermovesfocus) {
    // A focused multi-line box that can be typed in keeps Enter for itself.
    if (target != kNoControl && tree_.record(target).kind == Kind::EditBox &&
        tree_.record(target).settings.multiline && tree_.record(target).settings.inputmode != 1) {
      return false;
    }
    moveFocus(focused(), false);
    return true;
  }
  return false;
}

bool WindowView::preTranslate(const Event& e) {
  if (e.type == EventType::leftDown) leftHeld_ = true;
  if (e.type == EventType::leftUp) leftHeld_ = false;
  const int event = sharedEvent(e.type);
  if (event == 0) return false;
  const bool mouse = isMouse(e.type);
  // The control the message is for: under the pointer, or the one holding
  // the keyboard focus (an edit child), or the window's background.
  int target = controlOfChild(e.child);
  if (mouse && target == kNoControl) target = tree_.hitTest(e.x, e.y);
  const bool disabled = target != kNoControl && (tree_.record(target).flags & flagDisabled);
  // 1. Keyboard messages for a disabled control go on unchanged.
  if (!mouse && disabled) return false;
  if (mouse && disabled) return true;  // a disabled control refuses the mouse

  // 2. Dragging by client.
  if (e.type == EventType::leftDown && window_.dragbyclient) {
    if (target == kNoControl) {
      system_.beginDrag(native_);  // the press still goes on to the window
      return false;
    }
    if (dragsWindow(tree_.record(target).kind)) {
      system_.beginDrag(native_);
      return true;
    }
  }

  // 3. Window keys.
  if (e.type == EventType::keyDown && windowKey(e, target)) return true;

  // 4. The shared event, for the control or for the window itself.
  const std::vector<Binding>& bindings = target == kNoControl ? windowBindings_ : tree_.record(target).bindings;
  std::vector<std::int32_t> args;
  switch (e.type) {
    case EventType::keyDown:
    case EventType::keyUp:
      args = {keyCode(e.code), static_cast<std::int32_t>(e.keys)};
      break;
    case EventType::character:
      args = {e.code};
      break;
    case EventType::wheel:
      args = {e.code, static_cast<std::int32_t>(e.keys)};
      break;
    default:
      args = pointerArgs(e, target == kNoControl ? Rect{} : tree_.windowRectOf(target));
  }
  const EventResult r = gate_.fire(bindings, event, args);
  // 5. A returned 0 keeps the message from the control; a window that a
  // handler destroyed gets nothing more.
  if (!alive_()) return true;
  return r.discards();
}

void WindowView::writeWidth(int control, int width) {
  invalidate(tree_.setWidth(control, width));
  if (EditBoxKind* box = editOf(control)) system_.moveEdit(box->native(), tree_.windowRectOf(control));
}

}  // namespace ui
