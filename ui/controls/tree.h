// The live control tree of one window: containment, stacking, clipping,
// hit-testing and drawing of the windowless controls into the window's back
// buffer. Only the EditBox has a native child; everything else is drawn here.
//
// Siblings stack in template order, the first on top; a child is cut off at
// its parent's edges and hides with it.
#pragma once

#include <string>
#include <vector>

#include "ui/backend/canvas.h"
#include "ui/controls/records.h"

namespace ui {

constexpr int kNoControl = -1;  // the window's own background
constexpr int kMaxExtent = 32627;

class ControlTree {
 public:
  ControlTree(const std::vector<ControlRecord>& records, const Settings& window, int clientWidth,
              int clientHeight);

  int count() const { return static_cast<int>(controls_.size()); }
  const ControlRecord& record(int i) const { return *controls_[i].record; }
  int indexOfId(int id) const;
  int indexOfName(const std::string& name) const;

  // The control's own rectangle, relative to its parent's client area.
  Rect rectOf(int i) const { return controls_[i].rect; }
  // The same in window client coordinates.
  Rect windowRectOf(int i) const;
  // What of it shows: cut by every ancestor; empty when it or one of them is hidden.
  Rect shownRectOf(int i) const;
  bool isShown(int i) const;

  // The topmost shown control under the point (client coordinates), looking
  // into containers; kNoControl for the window's background.
  int hitTest(int x, int y) const;

  // A width write: clamped to 0..kMaxExtent, applied at once; the result is
  // the area to repaint (what was covered and what is covered now, as shown).
  Rect setWidth(int i, int width);

  // Paints the window's background and every shown control, back to front,
  // within `area`.
  void draw(Canvas& canvas, Rect area) const;

 private:
  struct Live {
    const ControlRecord* record;
    Rect rect;
    int parent;                 // index, or kNoControl for the client area
    std::vector<int> children;  // front first
  };
  void drawControl(Canvas& canvas, int i) const;
  int hitIn(const std::vector<int>& siblings, int x, int y) const;

  std::vector<Live> controls_;
  std::vector<int> roots_;  // front first
  const Settings& window_;
  int width_, height_;
};


}  // namespace ui
