// One open window's controls: its live tree, its back buffer and the input
// pre-processing that every mouse and keyboard message passes before the
// control under it sees it.
//
// Owns: the tree, the canvas, the dirty area.
// Never: opens or destroys windows (that is the application's); a handler it
// fires may do either, so after any event it touches nothing of itself
// unless the window still exists (`alive`).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "ui/backend/canvas.h"
#include "ui/backend/window_system.h"
#include "ui/controls/events.h"
#include "ui/controls/edit_box.h"
#include "ui/controls/picbtn.h"
#include "ui/controls/timer_kind.h"
#include "ui/controls/tree.h"

namespace ui {

// A property's value: an integer, a truth value or a text (GBK).
using PropertyValue = std::variant<std::int32_t, bool, std::string>;

// Property indices every kind has; a kind's own start at 8.
namespace prop {
constexpr int left = 0, top = 1, width = 2, height = 3, tag = 4, visible = 5, disabled = 6, cursor = 7;
constexpr int content = 8;  // EditBox
constexpr int period = 8;   // Timer
}  // namespace prop

class WindowView {
 public:
  // `alive` tells whether the native window still exists after a handler ran.
  WindowView(WindowSystem& system, NativeWindow native, const Settings& window,
             const std::vector<Binding>& windowBindings, const std::vector<ControlRecord>& controls,
             int width, int height,
             const EventGate& gate, std::function<bool()> alive);

  ControlTree& tree() { return tree_; }
  const Canvas& canvas() const { return *canvas_; }

  // A paint of `area`: draws it into the back buffer and presents it.
  void paint(Rect area);
  // Asks for `area` to be painted by a later loop turn.
  void invalidate(Rect area);

  // Input pre-processing, in order: keyboard messages for a disabled control
  // go on unchanged; dragging by client; the window keys (Tab and Shift+Tab,
  // Esc, Enter); the shared event for the control (or the window's
  // background). True when the message is consumed (kept from the control).
  bool preTranslate(const Event& e);

  // With VELMARO_SCREENSHOT_DIR set (read once, when the view is made), each
  // paint also writes the whole back buffer to <dir>/<name>.png, so a test
  // or a person can look at any window on either backend.
  void setScreenshotName(std::string name) { screenshotName_ = std::move(name); }

  // What Esc does when the window's `escapecloses` is on: the application's
  // close, which destroys this view.
  void setCloseAction(std::function<void()> close) { close_ = std::move(close); }
  // The control holding the keyboard focus, or kNoControl for the window.
  int focused() const;

  // The native child that stands for a control (an EditBox's edit).
  void setNative(int control, NativeWindow child) { natives_.emplace_back(control, child); }

  // The window notices a control handles itself: its timers' ticks, its
  // edit boxes' change and focus notices. True when one of them took it. A
  // handler run from here may destroy the window, and this view with it.
  bool handle(const Event& e);

  // Properties by index, for the handlers. A text read is the caller's copy.
  PropertyValue readProperty(int control, int index) const;
  void writeProperty(int control, int index, const PropertyValue& value);
  void writeWidth(int control, int width);

 private:
  WindowSystem& system_;
  NativeWindow native_;
  int controlOfChild(NativeWindow child) const;

  const Settings& window_;
  const std::vector<Binding>& windowBindings_;
  std::vector<std::pair<int, NativeWindow>> natives_;
  ControlTree tree_;
  std::unique_ptr<Canvas> canvas_;
  std::vector<std::pair<int, std::unique_ptr<TimerKind>>> timers_;    // by control index
  std::vector<std::pair<int, std::unique_ptr<EditBoxKind>>> edits_;
  std::vector<std::pair<int, PicBtnState>> buttons_;
  int holding_ = kNoControl;  // the button that holds the mouse
  bool leftHeld_ = false;     // the left button is down (as far as this window saw)
  int focused_ = kNoControl;  // a windowless tab stop holding the focus
  std::function<void()> close_;
  std::string screenshotDir_, screenshotName_;
  bool windowKey(const Event& e, int target);
  void moveFocus(int from, bool backwards);
  PicBtnState* buttonOf(int control);
  // A picture button's own answer to the mouse; false when it is not one's.
  bool handleButtons(const Event& e);
  TimerKind* timerOf(int control) const;
  EditBoxKind* editOf(int control) const;
  const EventGate& gate_;
  std::function<bool()> alive_;
};

// The keys bits of the shared events: 1 Ctrl, 2 Shift, 4 Alt.
std::vector<std::int32_t> pointerArgs(const Event& e, const Rect& controlInWindow);

}  // namespace ui
