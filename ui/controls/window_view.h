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
#include <vector>

#include "ui/backend/canvas.h"
#include "ui/backend/window_system.h"
#include "ui/controls/events.h"
#include "ui/controls/tree.h"

namespace ui {

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
  // go on unchanged; dragging by client; the shared event for the control
  // (or the window's background). True when the message is consumed (kept
  // from the control). Window keys (Tab, Esc, Enter) are the caller's.
  bool preTranslate(const Event& e);

  // The native child that stands for a control (an EditBox's edit).
  void setNative(int control, NativeWindow child) { natives_.emplace_back(control, child); }

  // Property writes that change what shows.
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
  const EventGate& gate_;
  std::function<bool()> alive_;
};

// The keys bits of the shared events: 1 Ctrl, 2 Shift, 4 Alt.
std::vector<std::int32_t> pointerArgs(const Event& e, const Rect& controlInWindow);

}  // namespace ui
