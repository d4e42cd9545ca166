#include "ui/controls/picbtn.h"

namespace ui {

PicBtnState::PicBtnState(const Settings& settings, bool enabled)
    : toggle_(settings.buttontype == 1), checked_(settings.checked), enabled_(enabled) {}

PicBtnState::Look PicBtnState::look() const {
  if (toggle_) return checked_ ? Look::pressed : Look::normal;
  return look_;
}

bool PicBtnState::moveTo(Look look) {
  if (toggle_ || look_ == look) return false;
  look_ = look;
  return true;
}

PicBtnResult PicBtnState::pointerMoved(bool inside, bool leftHeld) {
  PicBtnResult r;
  if (!inside) {
    r.redraw = moveTo(Look::normal);
    following_ = leftHeld || captured_;
    return r;
  }
  if (!enabled_) return r;
  // Held: pressed again when the pointer comes back, or when a press that
  // began elsewhere (and that no control holds) drags over the button.
  r.redraw = moveTo(leftHeld ? Look::pressed : Look::hover);
  following_ = true;
  return r;
}

PicBtnResult PicBtnState::pointerLeft() {
  PicBtnResult r;
  r.redraw = moveTo(Look::normal);
  following_ = captured_;
  return r;
}

PicBtnResult PicBtnState::leftPressed(bool inside) {
  PicBtnResult r;
  if (!inside || !enabled_) return r;
  r.redraw = moveTo(Look::pressed);
  if (!captured_) {
    captured_ = true;
    r.wantsCapture = true;
  }
  following_ = true;
  return r;
}

PicBtnResult PicBtnState::leftReleased(bool inside) {
  PicBtnResult r;
  if (captured_) {
    captured_ = false;
    r.releaseCapture = true;
  }
  // Back to normal before anything fires: the handler may destroy the window.
  r.redraw = moveTo(Look::normal);
  following_ = inside && enabled_;
  if (!inside || !enabled_) return r;
  if (toggle_) {
    checked_ = !checked_;
    r.redraw = true;
  }
  r.fireClicked = true;
  return r;
}

PicBtnResult PicBtnState::setEnabled(bool enabled) {
  PicBtnResult r;
  if (enabled_ == enabled) return r;
  enabled_ = enabled;
  r.redraw = true;
  if (!enabled) {
    // A disabled control refuses the mouse: it lets go of it.
    moveTo(Look::normal);
    following_ = false;
    if (captured_) {
      captured_ = false;
      r.releaseCapture = true;
    }
  }
  return r;
}

const std::string& PicBtnState::pictureFor(const Settings& s) const {
  if (!enabled_ && !s.picDisabled.empty()) return s.picDisabled;
  const Look l = look();
  if (l == Look::hover && !s.picHover.empty()) return s.picHover;
  if (l == Look::pressed && !s.picPressed.empty()) return s.picPressed;
  return s.picNormal;
}

}  // namespace ui
