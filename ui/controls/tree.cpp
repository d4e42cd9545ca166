#include "ui/controls/tree.h"

#include <algorithm>

namespace ui {

namespace {
bool isContainer(Kind k) { return k == Kind::PicBox || k == Kind::ShapeBox; }
bool contains(const Rect& r, int x, int y) {
  return x >= r.left && y >= r.top && x < r.left + r.width && y < r.top + r.height;
}
std::uint32_t background(std::uint32_t colour, const Canvas& canvas) {
  return colour == kDefaultColour ? canvas.buttonFace() : colour;
}
}  // namespace

ControlTree::ControlTree(const std::vector<ControlRecord>& records, const Settings& window,
                         int clientWidth, int clientHeight)
    : window_(window), width_(clientWidth), height_(clientHeight) {
  for (const ControlRecord& r : records) controls_.push_back(Live{&r, r.rect, kNoControl, {}});
  // Template order is stacking order: appending keeps each control directly
  // below its nearest earlier sibling.
  for (int i = 0; i < count(); ++i) {
    const ControlRecord& r = *controls_[i].record;
    const int parent = r.parent == kNoParent ? kNoControl : indexOfId(r.parent);
    // Only a PicBox or a ShapeBox holds children; anything else is taken as the client area.
    if (parent != kNoControl && isContainer(controls_[parent].record->kind)) {
      controls_[i].parent = parent;
      controls_[parent].children.push_back(i);
    } else {
      roots_.push_back(i);
    }
  }
}

int ControlTree::indexOfId(int id) const {
  for (int i = 0; i < count(); ++i) {
    if (controls_[i].record->id == id) return i;
  }
  return kNoControl;
}

int ControlTree::indexOfName(const std::string& name) const {
  for (int i = 0; i < count(); ++i) {
    if (controls_[i].record->name == name) return i;
  }
  return kNoControl;
}

Rect ControlTree::windowRectOf(int i) const {
  Rect r = controls_[i].rect;
  for (int p = controls_[i].parent; p != kNoControl; p = controls_[p].parent) {
    r.left += controls_[p].rect.left;
    r.top += controls_[p].rect.top;
  }
  return r;
}

bool ControlTree::isShown(int i) const {
  for (int c = i; c != kNoControl; c = controls_[c].parent) {
    const ControlRecord& r = *controls_[c].record;
    if (!(r.flags & flagVisible) || r.kind == Kind::Timer) return false;
  }
  return true;
}

Rect ControlTree::shownRectOf(int i) const {
  if (!isShown(i)) return Rect{};
  Rect r = windowRectOf(i);
  for (int p = controls_[i].parent; p != kNoControl; p = controls_[p].parent) {
    r = intersect(r, windowRectOf(p));
  }
  return intersect(r, Rect{0, 0, width_, height_});
}

int ControlTree::hitIn(const std::vector<int>& siblings, int x, int y) const {
  for (int i : siblings) {
    if (!contains(shownRectOf(i), x, y)) continue;
    const int inner = hitIn(controls_[i].children, x, y);
    return inner != kNoControl ? inner : i;
  }
  return kNoControl;
}

int ControlTree::hitTest(int x, int y) const { return hitIn(roots_, x, y); }

Rect ControlTree::setWidth(int i, int width) {
  const Rect before = shownRectOf(i);
  controls_[i].rect.width = std::clamp(width, 0, kMaxExtent);
  // Children cut by this control may show more, or less, now.
  return unite(before, shownRectOf(i));
}

void ControlTree::draw(Canvas& canvas, Rect area) const {
  canvas.pushClip(area);
  canvas.fill(Rect{0, 0, width_, height_}, background(window_.bgcolour, canvas));
  for (auto it = roots_.rbegin(); it != roots_.rend(); ++it) drawControl(canvas, *it);
  canvas.popClip();
}

void ControlTree::drawControl(Canvas& canvas, int i) const {
  const Rect shown = shownRectOf(i);
  if (isEmpty(shown)) return;
  const ControlRecord& rec = *controls_[i].record;
  const Settings& s = rec.settings;
  const Rect r = windowRectOf(i);
  canvas.pushClip(shown);
  switch (rec.kind) {
    case Kind::PicBox:
      canvas.fill(r, background(s.bgcolour, canvas));
      break;
    case Kind::ShapeBox:
      canvas.fill(r, background(s.bgcolour, canvas));
      if (s.fillcolour != kDefaultColour) canvas.fill(r, s.fillcolour);
      canvas.outline(r, s.linecolour, static_cast<LineStyle>(s.linestyle), s.linewidth);
      break;
    case Kind::Label:
      canvas.fill(r, background(s.bgcolour, canvas));
      if (!s.caption.empty()) canvas.text(r, s.caption, s.font, s.textcolour, {s.halign, s.valign, s.wrap});
      break;
    case Kind::TransLabel:
      // Nothing behind the letters: whatever lies below is already in the buffer.
      if (!s.caption.empty()) canvas.text(r, s.caption, s.font, s.textcolour, {s.halign, s.valign, s.wrap});
      break;
    case Kind::PicBtn:
      canvas.fill(r, 0x000000);  // black wherever no picture covers the button
      break;
    case Kind::EditBox:
    case Kind::Timer:
    case Kind::window:
      break;  // the edit is a native child; a timer is never shown
  }
  for (auto it = controls_[i].children.rbegin(); it != controls_[i].children.rend(); ++it) {
    drawControl(canvas, *it);
  }
  canvas.popClip();
}

}  // namespace ui
