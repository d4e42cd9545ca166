// The GDI canvas.
//  [x] a 32 bpp top-down DIB section in a memory DC, white at creation;
//      GDI writes 0 into the alpha byte of every pixel it draws (and the
//      white of creation is 0x00FFFFFF), so readers look at the low 24 bits
//  [x] clip stack: our own intersection, selected as one rectangle region
//  [x] fill with the DC brush; solid outline as four fills, the same pixels
//      as the software canvas; patterned outline a 1 px cosmetic pen
//      rectangle, gaps left transparent
//  [x] text with DrawTextA, transparently; fonts made once per record and
//      kept for the canvas's life; an unstored font is DEFAULT_GUI_FONT
//  [ ] DPI scaling of font heights
#include "ui/backend/win32/win32_canvas.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <vector>

#include "platform/gbk.h"

namespace ui {

LOGFONTA toLogFont(const Font& font) {
  LOGFONTA lf = {};
  lf.lfHeight = font.height;
  lf.lfWidth = font.width;
  lf.lfEscapement = font.escapement;
  lf.lfOrientation = font.orientation;
  lf.lfWeight = font.weight;
  lf.lfItalic = font.italic ? 1 : 0;
  lf.lfUnderline = font.underline ? 1 : 0;
  lf.lfStrikeOut = font.strikeOut ? 1 : 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = PROOF_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  // Cut at a character boundary: half a two-byte character names no face.
  std::size_t n = 0;
  while (n < font.face.size() && font.face[n] != '\0') {
    const std::size_t len = platform::gbkCharLength(font.face, n);
    if (n + len > LF_FACESIZE - 1) break;
    n += len;
  }
  std::memcpy(lf.lfFaceName, font.face.data(), n);
  return lf;
}

namespace {


RECT toRECT(const Rect& r) { return RECT{r.left, r.top, r.left + r.width, r.top + r.height}; }

class GdiCanvas final : public Canvas {
 public:
  GdiCanvas(int width, int height) : width_(std::max(0, width)), height_(std::max(0, height)) {
    dc_ = CreateCompatibleDC(nullptr);
    assert(dc_ && "CreateCompatibleDC failed: out of GDI resources?");
    if (width_ > 0 && height_ > 0) {
      BITMAPINFO info = {};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = width_;
      info.bmiHeader.biHeight = -height_;  // top row first
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      void* bits = nullptr;
      bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
      if (bitmap_) {
        bits_ = static_cast<std::uint32_t*>(bits);
        oldBitmap_ = SelectObject(dc_, bitmap_);
      } else {
        width_ = height_ = 0;
      }
    }
    oldFont_ = SelectObject(dc_, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc_, TRANSPARENT);
    clips_.push_back(Rect{0, 0, width_, height_});
    PatBlt(dc_, 0, 0, width_, height_, WHITENESS);
  }

  ~GdiCanvas() override {
    SelectClipRgn(dc_, nullptr);
    SelectObject(dc_, oldFont_);
    if (oldBitmap_) SelectObject(dc_, oldBitmap_);
    for (const CachedFont& f : fonts_) DeleteObject(f.handle);
    if (bitmap_) DeleteObject(bitmap_);
    DeleteDC(dc_);
  }

  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  int width() const override { return width_; }
  int height() const override { return height_; }
  std::uint32_t buttonFace() const override { return GetSysColor(COLOR_BTNFACE); }

  void pushClip(Rect r) override {
    clips_.push_back(intersect(clips_.back(), r));
    selectClip();
  }
  void popClip() override {
    assert(clips_.size() > 1 && "popClip without a matching pushClip");
    if (clips_.size() > 1) clips_.pop_back();
    selectClip();
  }

  void fill(Rect r, std::uint32_t colour) override {
    // FillRect of an inverted rectangle would mirror it rather than draw nothing.
    if (r.width <= 0 || r.height <= 0) return;
    SetDCBrushColor(dc_, colour);
    const RECT rc = toRECT(r);
    FillRect(dc_, &rc, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  }

  void outline(Rect r, std::uint32_t colour, LineStyle style, int lineWidth) override {
    if (r.width <= 0 || r.height <= 0 || style == LineStyle::none) return;
    if (style == LineStyle::solid) {
      // Four fills rather than an inside-frame pen: exact to the pixel for
      // every width, and a width past half the box is simply a fill.
      const int w = std::min({std::max(1, lineWidth), (r.width + 1) / 2, (r.height + 1) / 2});
      fill(Rect{r.left, r.top, r.width, w}, colour);
      fill(Rect{r.left, r.top + r.height - w, r.width, w}, colour);
      fill(Rect{r.left, r.top + w, w, r.height - 2 * w}, colour);
      fill(Rect{r.left + r.width - w, r.top + w, w, r.height - 2 * w}, colour);
      return;
    }
    DWORD penStyle = PS_DASH;
    if (style == LineStyle::dot) penStyle = PS_DOT;
    if (style == LineStyle::dashDot) penStyle = PS_DASHDOT;
    if (style == LineStyle::dashDotDot) penStyle = PS_DASHDOTDOT;
    LOGBRUSH brush = {BS_SOLID, colour, 0};
    HPEN pen = ExtCreatePen(PS_COSMETIC | penStyle, 1, &brush, 0, nullptr);
    if (!pen) return;
    HGDIOBJ oldPen = SelectObject(dc_, pen);
    HGDIOBJ oldBrush = SelectObject(dc_, GetStockObject(NULL_BRUSH));
    // Rectangle's pen runs along the inside of right and bottom, so the
    // outline covers exactly the box's edge pixels.
    Rectangle(dc_, r.left, r.top, r.left + r.width, r.top + r.height);
    SelectObject(dc_, oldBrush);
    SelectObject(dc_, oldPen);
    DeleteObject(pen);
  }

  void text(Rect r, const std::string& gbk, const Font& font, std::uint32_t colour, TextLayout layout) override {
    if (gbk.empty() || r.width <= 0 || r.height <= 0) return;
    SelectObject(dc_, fontFor(font));
    SetTextColor(dc_, colour);
    UINT flags = DT_NOPREFIX;
    flags |= layout.halign == 1 ? DT_CENTER : layout.halign == 2 ? DT_RIGHT : DT_LEFT;
    if (layout.wrap) {
      flags |= DT_WORDBREAK | DT_TOP;
    } else {
      flags |= DT_SINGLELINE;
      flags |= layout.valign == 1 ? DT_VCENTER : layout.valign == 2 ? DT_BOTTOM : DT_TOP;
    }
    RECT rc = toRECT(r);
    DrawTextA(dc_, gbk.data(), static_cast<int>(gbk.size()), &rc, flags);
  }

  Rect measure(const std::string& gbk, const Font& font) override {
    SelectObject(dc_, fontFor(font));
    SIZE size = {};
    GetTextExtentPoint32A(dc_, gbk.data(), static_cast<int>(gbk.size()), &size);
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc_, &tm);
    return Rect{0, 0, static_cast<int>(size.cx), static_cast<int>(tm.tmHeight)};
  }

  PixelView pixels() const override {
    GdiFlush();  // GDI may still hold drawing back in its batch
    return PixelView{bits_, width_, height_};
  }

 private:
  struct CachedFont {
    LOGFONTA lf;
    HFONT handle;
  };

  HGDIOBJ fontFor(const Font& font) {
    if (!font.stored) return GetStockObject(DEFAULT_GUI_FONT);
    const LOGFONTA lf = toLogFont(font);
    for (const CachedFont& f : fonts_)
      if (std::memcmp(&f.lf, &lf, sizeof lf) == 0) return f.handle;
    HFONT handle = CreateFontIndirectA(&lf);
    if (!handle) return GetStockObject(DEFAULT_GUI_FONT);
    fonts_.push_back(CachedFont{lf, handle});
    return handle;
  }

  void selectClip() {
    if (clips_.size() == 1) {
      SelectClipRgn(dc_, nullptr);
      return;
    }
    const Rect& c = clips_.back();
    // An empty clip is an empty region, which cuts everything (a null
    // region would cut nothing).
    HRGN rgn = c.width > 0 && c.height > 0 ? CreateRectRgn(c.left, c.top, c.left + c.width, c.top + c.height)
                                           : CreateRectRgn(0, 0, 0, 0);
    SelectClipRgn(dc_, rgn);  // the DC keeps a copy
    DeleteObject(rgn);
  }

  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr, oldFont_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  std::vector<Rect> clips_;  // clips_[0] is the whole buffer
  std::vector<CachedFont> fonts_;
};

}  // namespace

std::unique_ptr<Canvas> makeGdiCanvas(int width, int height) { return std::make_unique<GdiCanvas>(width, height); }

}  // namespace ui
