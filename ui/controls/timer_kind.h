// The Timer control: a hidden control over one system timer of its window.
// It counts from its creation when its period is above 0; each elapsed
// period leaves one pending tick (missed periods coalesce in the system), and
// the window view hands the tick to `onTick`, which fires `tick`.
//
// Owns: the timer `id` on `window` for as long as it lives.
// Never: draws or takes input.
#pragma once

#include "ui/backend/window_system.h"
#include "ui/controls/events.h"
#include "ui/controls/records.h"

namespace ui {

class TimerKind {
 public:
  // Starts counting at once when the record's period is above 0. `record`
  // and `gate` outlive the timer (the window's records and the program's gate).
  TimerKind(WindowSystem& system, NativeWindow window, unsigned id, const ControlRecord& record,
            const EventGate& gate);
  ~TimerKind();
  TimerKind(const TimerKind&) = delete;
  TimerKind& operator=(const TimerKind&) = delete;

  unsigned id() const { return id_; }
  // The `period` property.
  int period() const { return period_; }
  // A negative period counts as 0. The same period again changes nothing, so
  // the running count goes on; any other stops the count, and a positive one
  // starts a new count of its full length.
  void writePeriod(int period);
  bool running() const { return period_ > 0; }

  // A timer event for this id: fires `tick`. The handler may destroy the
  // window and with it this object, so nothing of it is used afterwards.
  void onTick();

 private:
  WindowSystem& system_;
  NativeWindow window_;
  unsigned id_;
  const ControlRecord& record_;
  const EventGate& gate_;
  int period_;
};

}  // namespace ui
