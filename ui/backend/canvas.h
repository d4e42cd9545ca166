// The canvas: what the controls draw with, into a window's back buffer.
//
// Owns: one 32-bit BGRA image of a window's client size, and the drawing of
// fills, outlines and GBK text into it, cut to a stack of clip rectangles.
// Two implementations: GDI into a DIB section (Windows), and a software one
// (every platform; the headless backend's), whose text is drawn as one solid
// box per character so that layout, clipping and colours can be checked to
// the pixel without a font rasteriser.
// Never: presents itself; the window system puts the buffer on the screen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/backend/window_system.h"

namespace ui {

// Colours are 0x00BBGGRR; this marker stands for "the default": the system's
// button-face colour for a background, no colour for a fill.
constexpr std::uint32_t kDefaultColour = 0xFF000000;

// A logical-font record as the window records store it.
struct Font {
  bool stored = false;  // false: the system's default GUI font
  int height = 0, width = 0, escapement = 0, orientation = 0, weight = 400;
  bool italic = false, underline = false, strikeOut = false;
  std::string face;  // GBK, at most 31 bytes
};

enum class LineStyle { none = 0, solid = 1, dash = 2, dot = 3, dashDot = 4, dashDotDot = 5 };

struct TextLayout {
  int halign = 0;  // 0 left, 1 centre, 2 right
  int valign = 0;  // 0 top, 1 centre, 2 bottom (one line only)
  bool wrap = false;  // broken at word boundaries from the top
};

class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  // The system's button-face colour as 0x00BBGGRR, for kDefaultColour
  // backgrounds (the software canvas stands in with 0x00F0F0F0).
  virtual std::uint32_t buttonFace() const = 0;

  // Drawing is cut to the intersection of every pushed rectangle.
  virtual void pushClip(Rect r) = 0;
  virtual void popClip() = 0;

  // `colour` is a real colour here (the caller resolves kDefaultColour).
  virtual void fill(Rect r, std::uint32_t colour) = 0;
  // An outline along the inside of `r`: `lineWidth` pixels for a solid line,
  // one pixel for the patterned ones; nothing for LineStyle::none.
  virtual void outline(Rect r, std::uint32_t colour, LineStyle style, int lineWidth) = 0;
  // GBK text in `r`, transparently (nothing behind the letters is painted).
  virtual void text(Rect r, const std::string& gbk, const Font& font, std::uint32_t colour,
                    TextLayout layout) = 0;
  // Width and height in pixels of one line of `gbk` in `font`.
  virtual Rect measure(const std::string& gbk, const Font& font) = 0;

  // The buffer, top row first, 0xAARRGGBB per pixel as a DIB section holds it.
  virtual PixelView pixels() const = 0;
};

// The software canvas; usable on every platform.
std::unique_ptr<Canvas> makeSoftwareCanvas(int width, int height);

// Writes the buffer as a PNG file (for tests and for the screenshot switch).
bool writePng(const PixelView& pixels, const std::string& path);

}  // namespace ui
