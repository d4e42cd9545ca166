#include "ui/controls/timer_kind.h"

#include <algorithm>

namespace ui {

TimerKind::TimerKind(WindowSystem& system, NativeWindow window, unsigned id,
                     const ControlRecord& record, const EventGate& gate)
    : system_(system),
      window_(window),
      id_(id),
      record_(record),
      gate_(gate),
      period_(std::max(record.settings.period, 0)) {
  if (period_ > 0) system_.setTimer(window_, id_, static_cast<unsigned>(period_));
}

TimerKind::~TimerKind() {
  // Also when the window is already gone: the system then has nothing to kill.
  if (period_ > 0) system_.killTimer(window_, id_);
}

void TimerKind::writePeriod(int period) {
  period = std::max(period, 0);
  if (period == period_) return;
  if (period_ > 0) system_.killTimer(window_, id_);
  period_ = period;
  if (period_ > 0) system_.setTimer(window_, id_, static_cast<unsigned>(period_));
}

void TimerKind::onTick() {
  // A tick that was already pending when the timer stopped is not delivered.
  if (period_ <= 0) return;
  gate_.fire(record_.bindings, ev::tick);
}

}  // namespace ui
