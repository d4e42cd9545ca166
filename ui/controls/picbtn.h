// The picture button's own behaviour: which of its three states it is in,
// when it holds the mouse, and when a release clicks it. No drawing and no
// window system here; the window view feeds it the pointer as seen from the
// button and acts on what each input returns (redraw, take or give back the
// mouse, fire `clicked`).
//
// Only the release decides a click: a release inside an enabled button
// clicks it, also when the press began elsewhere, as long as no other
// control held the mouse (the view then never routes the release here). The
// keyboard has no way in: the button is never clicked by a key.
#pragma once

#include <string>

#include "ui/controls/records.h"

namespace ui {

// What the caller must do after an input. The state has already changed when
// `fireClicked` is set, so the caller fires last and then, if the window is
// gone, touches the button no more.
struct PicBtnResult {
  bool redraw = false;          // the picture to show has changed
  bool fireClicked = false;     // fire `clicked` (ev::clicked) now
  bool wantsCapture = false;    // the button keeps the mouse until the release
  bool releaseCapture = false;  // give the mouse back
};

class PicBtnState {
 public:
  enum class Look { normal, hover, pressed };

  // Type and initial toggle state come from the settings; `enabled` from the
  // record's disabled flag.
  PicBtnState(const Settings& settings, bool enabled);

  // The pointer moved; `inside` is the release-test rectangle of the button.
  PicBtnResult pointerMoved(bool inside, bool leftHeld);
  // Another window now lies under the pointer.
  PicBtnResult pointerLeft();
  PicBtnResult leftPressed(bool inside);
  PicBtnResult leftReleased(bool inside);
  PicBtnResult setEnabled(bool enabled);

  Look look() const;
  bool enabled() const { return enabled_; }
  bool checked() const { return checked_; }
  bool holdsMouse() const { return captured_; }
  // The button wants to hear when the pointer leaves it (hover, or held).
  bool following() const { return following_; }

  // picDisabled when disabled and present; else the picture of the current
  // state when present; else picNormal (empty: the button shows black).
  const std::string& pictureFor(const Settings& settings) const;

 private:
  // Moves the push state; true when it changed.
  bool moveTo(Look look);

  bool toggle_;
  bool checked_;
  bool enabled_;
  Look look_ = Look::normal;  // push type only; a toggle's look follows checked_
  bool captured_ = false;
  bool following_ = false;
};

}  // namespace ui
