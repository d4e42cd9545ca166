// The software canvas: the headless backend's back buffer, and the reference
// the GDI canvas is checked against where GDI is exact.
//  [x] buffer: 0xFFRRGGBB per pixel (alpha 255), white at creation
//  [x] clip stack: each push intersects with the one below; an empty push
//      clips everything until it is popped
//  [x] fill; solid outline `lineWidth` px inside the edges, at most half the
//      rectangle (then it is a fill); patterned outlines 1 px, GDI-like
//      cosmetic pen patterns, in the same places as GDI's (see patternOutline)
//  [x] text as one solid box per character (no rasteriser); see cellWidth
//  [ ] font width, weight, italic, escapement: layout uses the height only
#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <vector>

#include "platform/gbk.h"
#include "ui/backend/canvas.h"

namespace ui {
namespace {

// The stand-in for the system's default GUI font, and for a stored height 0.
constexpr int kDefaultTextHeight = 12;

// On and off runs, in pixels, of a cosmetic pen's patterns as GDI draws them.
struct DashPattern {
  int count;
  int runs[6];
};
constexpr DashPattern kDash{2, {18, 6}};
constexpr DashPattern kDot{2, {3, 3}};
constexpr DashPattern kDashDot{4, {9, 6, 3, 6}};
constexpr DashPattern kDashDotDot{6, {9, 3, 3, 3, 3, 3}};


// 0x00BBGGRR as the interface gives it, to 0xAARRGGBB as a DIB holds it.
std::uint32_t toPixel(std::uint32_t colour) {
  const std::uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

int textHeight(const Font& font) {
  if (!font.stored || font.height == 0) return kDefaultTextHeight;
  return std::abs(font.height);
}

// A single-byte character takes half the line height, a two-byte one the
// whole height; control characters take nothing (DrawText shows no glyph for
// a line break in a single line either).
int cellWidth(const std::string& s, std::size_t i, int h) {
  if (platform::gbkCharLength(s, i) == 2) return h;
  return static_cast<unsigned char>(s[i]) < 0x20 ? 0 : h / 2;
}

int lineWidth(const std::string& s, std::size_t from, std::size_t to, int h) {
  int w = 0;
  for (std::size_t i = from; i < to; i += platform::gbkCharLength(s, i)) w += cellWidth(s, i, h);
  return w;
}

struct Line {
  std::size_t begin, end;
};

// DT_WORDBREAK's breaking: a line breaks before a word that would cross the
// right edge, at a space or between two two-byte characters; the spaces at a
// break are dropped; a word wider than the rectangle stays whole (and is cut);
// a line feed always breaks.
std::vector<Line> breakLines(const std::string& s, int width, int h) {
  std::vector<Line> lines;
  std::size_t lineBegin = 0, inkEnd = 0;
  int inkWidth = 0, spaceWidth = 0;
  bool hasWord = false, wrapped = false;
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '\n') {
      lines.push_back({lineBegin, hasWord ? inkEnd : lineBegin});
      ++i;
      lineBegin = inkEnd = i;
      inkWidth = spaceWidth = 0;
      hasWord = wrapped = false;
      continue;
    }
    if (c == ' ') {
      if (wrapped && !hasWord) {
        lineBegin = i + 1;  // a space at a break belongs to no line
      } else {
        spaceWidth += cellWidth(s, i, h);
      }
      ++i;
      continue;
    }
    // A word: a run of single-byte characters, or one two-byte character.
    std::size_t end = i + platform::gbkCharLength(s, i);
    if (platform::gbkCharLength(s, i) == 1) {
      while (end < s.size() && s[end] != ' ' && s[end] != '\n' && platform::gbkCharLength(s, end) == 1) ++end;
    }
    const int w = lineWidth(s, i, end, h);
    if (hasWord && inkWidth + spaceWidth + w > width) {
      lines.push_back({lineBegin, inkEnd});
      lineBegin = i;
      inkWidth = w;
      wrapped = true;
    } else {
      inkWidth += spaceWidth + w;
    }
    spaceWidth = 0;
    inkEnd = end;
    hasWord = true;
    i = end;
  }
  if (hasWord) lines.push_back({lineBegin, inkEnd});
  return lines;
}

class SoftwareCanvas final : public Canvas {
 public:
  SoftwareCanvas(int width, int height)
      : width_(std::max(0, width)),
        height_(std::max(0, height)),
        buffer_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0xFFFFFFFFu) {
    clips_.push_back(Rect{0, 0, width_, height_});
  }

  int width() const override { return width_; }
  int height() const override { return height_; }
  std::uint32_t buttonFace() const override { return 0x00F0F0F0; }

  void pushClip(Rect r) override { clips_.push_back(intersect(clips_.back(), r)); }
  void popClip() override {
    assert(clips_.size() > 1 && "popClip without a matching pushClip");
    if (clips_.size() > 1) clips_.pop_back();
  }

  void fill(Rect r, std::uint32_t colour) override { paint(r, toPixel(colour), clips_.back()); }

  void outline(Rect r, std::uint32_t colour, LineStyle style, int lineWidth) override {
    if (r.width <= 0 || r.height <= 0) return;
    const std::uint32_t p = toPixel(colour);
    switch (style) {
      case LineStyle::none: return;
      case LineStyle::solid: return solidOutline(r, p, lineWidth);
      case LineStyle::dash: return patternOutline(r, p, kDash);
      case LineStyle::dot: return patternOutline(r, p, kDot);
      case LineStyle::dashDot: return patternOutline(r, p, kDashDot);
      case LineStyle::dashDotDot: return patternOutline(r, p, kDashDotDot);
    }
  }

  void text(Rect r, const std::string& gbk, const Font& font, std::uint32_t colour, TextLayout layout) override {
    const int h = textHeight(font);
    const Rect cut = intersect(clips_.back(), r);
    const std::uint32_t p = toPixel(colour);
    if (layout.wrap) {
      int y = r.top;
      for (const Line& line : breakLines(gbk, r.width, h)) {
        drawLine(gbk, line, alignX(r, lineWidth(gbk, line.begin, line.end, h), layout.halign), y, h, p, cut);
        y += h;
      }
      return;
    }
    // The same placement as DrawText's, integer division included.
    int y = r.top;
    if (layout.valign == 1) y = r.top + r.height / 2 - h / 2;
    if (layout.valign == 2) y = r.top + r.height - h;
    const Line whole{0, gbk.size()};
    drawLine(gbk, whole, alignX(r, lineWidth(gbk, 0, gbk.size(), h), layout.halign), y, h, p, cut);
  }

  Rect measure(const std::string& gbk, const Font& font) override {
    const int h = textHeight(font);
    return Rect{0, 0, lineWidth(gbk, 0, gbk.size(), h), h};
  }

  PixelView pixels() const override { return PixelView{buffer_.data(), width_, height_}; }

 private:
  void paint(Rect r, std::uint32_t pixel, const Rect& clip) {
    const Rect a = intersect(clip, r);
    for (int y = a.top; y < a.top + a.height; ++y) {
      std::uint32_t* row = buffer_.data() + static_cast<std::size_t>(y) * width_;
      std::fill(row + a.left, row + a.left + a.width, pixel);
    }
  }

  void solidOutline(Rect r, std::uint32_t p, int lineWidth) {
    // GDI draws a zero-width pen one pixel wide; a line wider than half the
    // rectangle would cross itself, so it is a fill.
    const int w = std::min({std::max(1, lineWidth), (r.width + 1) / 2, (r.height + 1) / 2});
    const Rect& clip = clips_.back();
    paint(Rect{r.left, r.top, r.width, w}, p, clip);
    paint(Rect{r.left, r.top + r.height - w, r.width, w}, p, clip);
    paint(Rect{r.left, r.top + w, w, r.height - 2 * w}, p, clip);
    paint(Rect{r.left + r.width - w, r.top + w, w, r.height - 2 * w}, p, clip);
  }

  // The pattern runs on around the rectangle as GDI's Rectangle draws it
  // (seen in Wine): from the top-right corner leftwards along the top edge,
  // down the left edge, rightwards along the bottom and up the right edge,
  // each corner pixel once.
  void patternOutline(Rect r, std::uint32_t p, const DashPattern& pattern) {
    int run = 0, left = pattern.runs[0];
    auto step = [&](int x, int y) {
      if (run % 2 == 0) paint(Rect{x, y, 1, 1}, p, clips_.back());
      if (--left == 0) {
        run = (run + 1) % pattern.count;
        left = pattern.runs[run];
      }
    };
    const int l = r.left, t = r.top, rt = r.left + r.width - 1, b = r.top + r.height - 1;
    for (int x = rt; x >= l; --x) step(x, t);
    for (int y = t + 1; y <= b; ++y) step(l, y);
    if (b > t)
      for (int x = l + 1; x <= rt; ++x) step(x, b);
    if (rt > l)
      for (int y = b - 1; y > t; --y) step(rt, y);
  }

  static int alignX(const Rect& r, int lineW, int halign) {
    if (halign == 1) return (r.left + r.left + r.width - lineW) / 2;
    if (halign == 2) return r.left + r.width - lineW;
    return r.left;
  }

  // Each visible character is its cell less one pixel at either side, the
  // whole line height tall.
  void drawLine(const std::string& s, const Line& line, int x, int y, int h, std::uint32_t p, const Rect& cut) {
    for (std::size_t i = line.begin; i < line.end; i += platform::gbkCharLength(s, i)) {
      const int cw = cellWidth(s, i, h);
      if (s[i] != ' ' && cw > 2) paint(Rect{x + 1, y, cw - 2, h}, p, cut);
      x += cw;
    }
  }

  int width_, height_;
  std::vector<std::uint32_t> buffer_;
  std::vector<Rect> clips_;  // clips_[0] is the whole buffer
};

}  // namespace

std::unique_ptr<Canvas> makeSoftwareCanvas(int width, int height) {
  return std::make_unique<SoftwareCanvas>(width, height);
}

}  // namespace ui
