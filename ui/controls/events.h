// Event delivery: the first binding of an index runs, synchronously, on the
// GUI thread; nothing runs while events are suspended (a window is being
// built, or the program has begun to end).
#pragma once

#include <vector>

#include "ui/controls/records.h"

namespace ui {

class EventGate {
 public:
  void suspend() { ++suspended_; }
  void resume() {
    if (suspended_ > 0) --suspended_;
  }
  bool open() const { return suspended_ == 0; }

  // Runs the first handler bound to `index`, if any and if events are not
  // suspended. The handler may fire further events, open modal windows or
  // destroy windows, its own included.
  EventResult fire(const std::vector<Binding>& bindings, int index,
                   const std::vector<std::int32_t>& args = {}) const {
    if (!open()) return {};
    for (const Binding& b : bindings) {
      if (b.event != index) continue;
      if (!b.handler) return {};
      return EventResult{true, b.handler(args)};
    }
    return {};
  }

 private:
  int suspended_ = 0;
};

}  // namespace ui
