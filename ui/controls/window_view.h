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
             const std::vector<ControlRecord>& controls, int width, int height,
             const EventGate& gate, std::function<bool()> alive);

  ControlTree& tree() { return tree_; }
  const Canvas& canvas() const { return *canvas_; }

  // A paint of `area`: draws it into the back buffer and presents it.
  void paint(Rect area);
  // Asks for `area` to be painted by a later loop turn.
  void invalidate(Rect area);

  // Input pre-processing: dragging by client, then the shared events. True
  // when the message is consumed (kept from the control).
  bool preTranslate(const Event& e);

  // Property writes that change what shows.
  void writeWidth(int control, int width);

 private:
  WindowSystem& system_;
  NativeWindow native_;
  const Settings& window_;
  ControlTree tree_;
  std::unique_ptr<Canvas> canvas_;
  const EventGate& gate_;
  std::function<bool()> alive_;
};

// The keys bits of the shared events: 1 Ctrl, 2 Shift, 4 Alt.
std::vector<std::int32_t> pointerArgs(const Event& e, const Rect& controlInWindow);

}  // namespace ui
