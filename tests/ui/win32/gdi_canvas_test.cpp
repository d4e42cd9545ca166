// The GDI canvas draws what the software canvas draws wherever GDI is exact
// (fills, clips, solid outlines), keeps patterned outlines and real text
// inside their boxes, makes fonts by the control rules, and gives back every
// GDI object it makes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "ui/backend/canvas.h"
#include "ui/backend/win32/win32_canvas.h"

namespace {

using ui::Canvas;
using ui::Font;
using ui::LineStyle;
using ui::Rect;
using ui::TextLayout;

constexpr std::uint32_t kInk = 0x00DBA23A;  // #3AA2DB: R and B differ

// GDI leaves the alpha byte at 0; only the colour is compared.
std::uint32_t rgbAt(const Canvas& c, int x, int y) {
  const ui::PixelView v = c.pixels();
  return v.pixels[static_cast<std::size_t>(y) * v.width + x] & 0x00FFFFFFu;
}

bool inked(const Canvas& c, int x, int y) { return rgbAt(c, x, y) != 0x00FFFFFF; }

Rect inkBounds(const Canvas& c) {
  int l = c.width(), t = c.height(), r = -1, b = -1;
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x)
      if (inked(c, x, y)) l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
  if (r < 0) return Rect{0, 0, 0, 0};
  return Rect{l, t, r - l + 1, b - t + 1};
}

bool inside(const Rect& inner, const Rect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

// A failing picture goes beside the log (the test's working folder); with
// VELMARO_DUMP_DIR set, every picture goes there.
void dumpIfWanted(const Canvas& c, const std::string& name) {
  const char* dir = std::getenv("VELMARO_DUMP_DIR");
  if (dir) ui::writePng(c.pixels(), std::string(dir) + "\\" + name + ".png");
  else if (::testing::Test::HasFailure()) ui::writePng(c.pixels(), name + ".png");
}

Font face(const char* name, int height) {
  Font f;
  f.stored = true;
  f.height = height;
  f.face = name;
  return f;
}

// --- where GDI is exact: the same pixels as the software canvas -------------------------

// Guards against the two backends drawing fills, clips and frames differently,
// so that what the headless pixel tests show is not what Windows shows.
TEST(GdiCanvas, FillsClipsAndSolidOutlinesMatchTheSoftwareCanvas) {
  struct Case {
    const char* name;
    std::function<void(Canvas&)> draw;
  } cases[] = {
      {"a fill cut at the buffer", [](Canvas& c) { c.fill(Rect{-3, 5, 50, 9}, kInk); }},
      {"the colour byte order", [](Canvas& c) {
         c.fill(Rect{0, 0, 10, 10}, 0x000000FF);
         c.fill(Rect{10, 0, 10, 10}, 0x00FF0000);
         c.fill(Rect{20, 0, 10, 10}, kInk);
       }},
      {"nested clips", [](Canvas& c) {
         c.pushClip(Rect{2, 2, 20, 14});
         c.pushClip(Rect{10, 0, 30, 10});
         c.fill(Rect{0, 0, 40, 20}, kInk);
         c.popClip();
         c.fill(Rect{0, 12, 40, 8}, 0x0000FF00);
         c.popClip();
         c.fill(Rect{30, 18, 10, 2}, 0x00000080);
       }},
      {"an empty clip cuts everything", [](Canvas& c) {
         c.pushClip(Rect{5, 5, 0, 10});
         c.fill(Rect{0, 0, 40, 20}, kInk);
         c.outline(Rect{0, 0, 40, 20}, kInk, LineStyle::solid, 2);
         c.popClip();
       }},
      {"a Label widened past its parent's clip", [](Canvas& c) {
         c.pushClip(Rect{0, 0, 27, 20});
         c.fill(Rect{0, 3, 33, 10}, kInk);
         c.popClip();
       }},
      {"solid outlines of widths 1, 3 and too wide", [](Canvas& c) {
         c.outline(Rect{1, 1, 12, 9}, kInk, LineStyle::solid, 1);
         c.outline(Rect{14, 1, 12, 9}, kInk, LineStyle::solid, 3);
         c.outline(Rect{27, 1, 9, 7}, kInk, LineStyle::solid, 40);
         c.outline(Rect{1, 12, 30, 1}, kInk, LineStyle::solid, 2);
         c.outline(Rect{32, 12, 6, 6}, kInk, LineStyle::solid, 0);
       }},
      {"an outline cut by the clip", [](Canvas& c) {
         c.pushClip(Rect{5, 0, 20, 8});
         c.outline(Rect{1, 1, 30, 15}, kInk, LineStyle::solid, 2);
         c.popClip();
       }},
      {"patterned outlines (Wine's pen patterns; Windows may start them elsewhere)", [](Canvas& c) {
         c.outline(Rect{0, 0, 40, 20}, kInk, LineStyle::dash, 3);
         c.outline(Rect{2, 2, 36, 16}, 0x000000FF, LineStyle::dot, 1);
         c.outline(Rect{4, 4, 32, 12}, 0x00FF0000, LineStyle::dashDot, 1);
         c.outline(Rect{6, 6, 28, 8}, 0x0000FF00, LineStyle::dashDotDot, 1);
         c.outline(Rect{12, 9, 9, 1}, kInk, LineStyle::dash, 1);
         c.outline(Rect{23, 8, 1, 4}, kInk, LineStyle::dot, 1);
       }},
      {"no line style and empty boxes draw nothing", [](Canvas& c) {
         c.outline(Rect{1, 1, 30, 15}, kInk, LineStyle::none, 2);
         c.fill(Rect{10, 10, -5, 5}, kInk);
         c.fill(Rect{10, 10, 5, 0}, kInk);
       }},
  };
  for (const Case& k : cases) {
    auto gdi = ui::makeGdiCanvas(40, 20);
    auto soft = ui::makeSoftwareCanvas(40, 20);
    k.draw(*gdi);
    k.draw(*soft);
    int differing = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 40; ++x)
        if (rgbAt(*gdi, x, y) != rgbAt(*soft, x, y) && differing++ < 5)
          ADD_FAILURE() << k.name << ": at " << x << "," << y << " GDI " << std::hex << rgbAt(*gdi, x, y)
                        << ", software " << rgbAt(*soft, x, y);
    EXPECT_EQ(differing, 0) << k.name;
    dumpIfWanted(*gdi, std::string("gdi_exact_") + std::to_string(&k - cases));
  }
}

// Guards against red and blue swapped on the screen.
TEST(GdiCanvas, ColoursAreCOLORREFsAndReachTheDibAsRgb) {
  auto c = ui::makeGdiCanvas(4, 4);
  c->fill(Rect{0, 0, 4, 4}, kInk);
  EXPECT_EQ(rgbAt(*c, 1, 1), 0x003AA2DBu);
  EXPECT_EQ(c->buttonFace(), static_cast<std::uint32_t>(GetSysColor(COLOR_BTNFACE)));
}

// Guards against a dashed ShapeBox frame drawn solid, wide, or outside the box.
TEST(GdiCanvas, PatternedOutlinesAreOnePixelInsideTheEdgesWithGaps) {
  const LineStyle styles[] = {LineStyle::dash, LineStyle::dot, LineStyle::dashDot, LineStyle::dashDotDot};
  const Rect box{3, 2, 60, 30};
  for (LineStyle style : styles) {
    auto c = ui::makeGdiCanvas(66, 36);
    // The inside marked, to see that the outline leaves it alone.
    c->fill(Rect{box.left + 1, box.top + 1, box.width - 2, box.height - 2}, 0x00FFFFFE);
    c->outline(box, kInk, style, 4);
    int ink = 0, ring = 0, sides[4] = {};
    for (int y = 0; y < 36; ++y)
      for (int x = 0; x < 66; ++x) {
        const bool inBox = x >= box.left && x < box.left + box.width && y >= box.top && y < box.top + box.height;
        const bool onRing = inBox && (x == box.left || x == box.left + box.width - 1 || y == box.top ||
                                      y == box.top + box.height - 1);
        ring += onRing;
        const std::uint32_t p = rgbAt(*c, x, y);
        if (inBox && !onRing) {
          EXPECT_EQ(p, 0x00FEFFFFu) << "style " << static_cast<int>(style) << ": the inside painted at " << x << "," << y;
        } else if (p != 0x00FFFFFF) {
          EXPECT_TRUE(onRing) << "style " << static_cast<int>(style) << ": ink off the ring at " << x << "," << y;
          EXPECT_EQ(p, 0x003AA2DBu) << "style " << static_cast<int>(style) << ": the gaps are not transparent";
          ++ink;
          sides[0] += y == box.top, sides[1] += y == box.top + box.height - 1;
          sides[2] += x == box.left, sides[3] += x == box.left + box.width - 1;
        }
      }
    EXPECT_GT(ink, ring / 4) << static_cast<int>(style);
    EXPECT_LT(ink, ring) << static_cast<int>(style) << ": no gaps";
    for (int s : sides) EXPECT_GT(s, 0) << static_cast<int>(style) << ": a side without its pattern";
    dumpIfWanted(*c, "gdi_pattern_" + std::to_string(static_cast<int>(style)));
  }
}

// --- text ----------------------------------------------------------------------------------

// Guards against captions painting past their label or parent, or not at all,
// whatever font the window record asks for.
TEST(GdiCanvas, TextInksOnlyInsideTheRectAndTheClip) {
  Font unstored;
  struct Case {
    const char* name;
    Font font;
    std::string text;
    Rect r;
    std::vector<Rect> clips;
    TextLayout layout;
  } cases[] = {
      {"the default GUI font", unstored, "Setup 安装程序", Rect{10, 10, 200, 30}, {}, TextLayout{}},
      {"a CJK face", face("宋体", -16), "安装程序 Setup", Rect{10, 10, 200, 30}, {}, TextLayout{1, 1, false}},
      {"a face missing here: 楷体_GB2312", face("楷体_GB2312", -18), "欢迎安装", Rect{10, 10, 200, 30}, {},
       TextLayout{2, 2, false}},
      {"a face missing here: Cambria", face("Cambria", -14), "Welcome 欢迎", Rect{10, 10, 200, 30}, {},
       TextLayout{}},
      {"a face missing here: Arial Narrow", face("Arial Narrow", 20), "Next 下一步", Rect{10, 10, 200, 30}, {},
       TextLayout{1, 0, false}},
      {"cut at the rect's right edge", face("宋体", -16), "一段很长很长很长很长很长的说明文字", Rect{10, 10, 60, 30},
       {}, TextLayout{}},
      {"cut by the clip", face("宋体", -16), "一段很长很长很长的说明文字", Rect{10, 10, 200, 30},
       {Rect{0, 0, 50, 20}}, TextLayout{}},
      {"wrapped, cut at the bottom", face("宋体", -12),
       "安装程序将把本软件安装到您的计算机上。 Click Next to continue, or Cancel to exit.", Rect{10, 10, 120, 40}, {},
       TextLayout{0, 0, true}},
  };
  int index = 0;
  for (const Case& k : cases) {
    auto c = ui::makeGdiCanvas(240, 60);
    for (const Rect& clip : k.clips) c->pushClip(clip);
    c->text(k.r, k.text, k.font, 0x00000000, k.layout);
    for (std::size_t i = 0; i < k.clips.size(); ++i) c->popClip();
    Rect allowed = k.r;
    for (const Rect& clip : k.clips) {
      const int l = std::max(allowed.left, clip.left), t = std::max(allowed.top, clip.top);
      allowed = Rect{l, t, std::min(allowed.left + allowed.width, clip.left + clip.width) - l,
                     std::min(allowed.top + allowed.height, clip.top + clip.height) - t};
    }
    const Rect ink = inkBounds(*c);
    EXPECT_GT(ink.width * ink.height, 0) << k.name << ": nothing drawn";
    EXPECT_TRUE(inside(ink, allowed)) << k.name << ": ink at " << ink.left << "," << ink.top << " " << ink.width << "x"
                                      << ink.height;
    dumpIfWanted(*c, "gdi_text_" + std::to_string(index++));
  }
}

// Guards against centred and right-aligned captions sitting at the left or top.
TEST(GdiCanvas, AlignedTextInksWhereTheAlignmentSays) {
  const Rect r{20, 10, 300, 60};
  struct Case {
    int halign, valign;
    int centreX, centreY;  // where a centred line's ink has its middle, within the slack
  } cases[] = {
      {0, 0, 0, 0}, {1, 1, 170, 40}, {2, 2, 0, 0}, {1, 2, 170, 0}, {2, 1, 0, 40},
  };
  for (const Case& k : cases) {
    auto c = ui::makeGdiCanvas(340, 80);
    TextLayout layout;
    layout.halign = k.halign;
    layout.valign = k.valign;
    c->text(r, "安装 Setup", face("宋体", -16), 0, layout);
    const Rect ink = inkBounds(*c);
    ASSERT_GT(ink.width, 0);
    const int slack = 6;
    if (k.halign == 0) {
      EXPECT_LE(ink.left, r.left + slack);
    } else if (k.halign == 2) {
      EXPECT_GE(ink.left + ink.width, r.left + r.width - slack);
    } else {
      EXPECT_NEAR(ink.left + ink.width / 2, k.centreX, slack);
    }
    if (k.valign == 0) {
      EXPECT_LE(ink.top, r.top + slack);
    } else if (k.valign == 2) {
      EXPECT_GE(ink.top + ink.height, r.top + r.height - slack);
    } else {
      EXPECT_NEAR(ink.top + ink.height / 2, k.centreY, slack);
    }
    dumpIfWanted(*c, "gdi_align_" + std::to_string(k.halign) + std::to_string(k.valign));
  }
}

// Guards against GBK captions shown as question marks or as empty boxes (the
// text converted in the wrong code page, or a face with no CJK glyphs).
TEST(GdiCanvas, TwoByteCharactersDrawTheirOwnGlyphs) {
  const char* faces[] = {"宋体", "楷体_GB2312", "Cambria", "Arial Narrow"};
  for (const char* name : faces) {
    auto draw = [&](const std::string& s) {
      auto c = ui::makeGdiCanvas(40, 30);
      c->text(Rect{0, 0, 40, 30}, s, face(name, -20), 0, TextLayout{});
      const ui::PixelView v = c->pixels();
      std::vector<std::uint32_t> out;
      for (int i = 0; i < v.width * v.height; ++i) out.push_back(v.pixels[i] & 0x00FFFFFF);
      return out;
    };
    const auto an = draw("安"), zhuang = draw("装"), questions = draw("?");
    const auto blank = std::vector<std::uint32_t>(an.size(), 0x00FFFFFF);
    EXPECT_NE(an, blank) << name << ": no ink";
    EXPECT_NE(an, zhuang) << name << ": two characters look the same (missing-glyph boxes?)";
    EXPECT_NE(an, questions) << name << ": drawn as a question mark";
  }
}

// Guards against an EditBox-high label measured with the wrong font.
TEST(GdiCanvas, MeasureFollowsTheFont) {
  auto c = ui::makeGdiCanvas(10, 10);
  const Rect small = c->measure("安装 Setup", face("宋体", -12));
  const Rect large = c->measure("安装 Setup", face("宋体", -24));
  EXPECT_GT(small.width, 0);
  EXPECT_GE(small.height, 12);
  EXPECT_GT(large.width, small.width * 3 / 2);
  EXPECT_GT(large.height, small.height * 3 / 2);
  EXPECT_GT(c->measure("安装", face("宋体", -16)).width, c->measure("an", face("宋体", -16)).width);
  // What measure says is what text draws: one line of it fits its own size.
  const Rect m = c->measure("Setup", Font{});
  auto d = ui::makeGdiCanvas(m.width + 20, m.height + 20);
  d->text(Rect{10, 10, m.width, m.height}, "Setup", Font{}, 0, TextLayout{});
  const Rect ink = inkBounds(*d);
  EXPECT_TRUE(inside(ink, Rect{10, 10, m.width, m.height}));
  EXPECT_GT(ink.width, m.width / 2) << "measured far wider than drawn";
}

// Guards against labels drawn in the wrong face, size or smoothing: the
// control rules fix charset, precisions, quality and pitch whatever was stored.
TEST(GdiCanvas, LogFontKeepsTheRecordButForTheControlRules) {
  Font f;
  f.stored = true;
  f.height = -19, f.width = 7, f.escapement = 900, f.orientation = 450, f.weight = 700;
  f.italic = true, f.underline = true, f.strikeOut = false;
  f.face = "楷体_GB2312";
  const LOGFONTA lf = ui::toLogFont(f);
  EXPECT_EQ(lf.lfHeight, -19);
  EXPECT_EQ(lf.lfWidth, 7);
  EXPECT_EQ(lf.lfEscapement, 900);
  EXPECT_EQ(lf.lfOrientation, 450);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfStrikeOut, 0);
  EXPECT_EQ(lf.lfCharSet, 1);
  EXPECT_EQ(lf.lfOutPrecision, 0);
  EXPECT_EQ(lf.lfClipPrecision, 0);
  EXPECT_EQ(lf.lfQuality, 2);
  EXPECT_EQ(lf.lfPitchAndFamily, 0);
  EXPECT_STREQ(lf.lfFaceName, "楷体_GB2312");

  struct Case {
    const char* name;
    std::string face, expected;
  } faces[] = {
      {"31 bytes fit", std::string(31, 'a'), std::string(31, 'a')},
      {"32 single bytes lose the last", std::string(32, 'b'), std::string(31, 'b')},
      {"a two-byte character across byte 31 is left out whole", std::string(30, 'c') + "宋",
       std::string(30, 'c')},
      {"sixteen two-byte characters keep fifteen",
       "宋宋宋宋宋宋宋宋宋宋宋宋宋宋宋宋", "宋宋宋宋宋宋宋宋宋宋宋宋宋宋宋"},
  };
  for (const Case& k : faces) {
    f.face = k.face;
    EXPECT_STREQ(ui::toLogFont(f).lfFaceName, k.expected.c_str()) << k.name;
  }
}

// Guards against the program running out of GDI objects after many repaints
// (each leaked brush, pen, region or font is one of at most 10,000 on
// Windows; Wine 8 stops at about 65,500).
TEST(GdiCanvas, GivesBackEveryGdiObject) {
  const Font fonts[] = {Font{}, face("宋体", -12), face("Arial", 14)};
  // One canvas's life, drawing once with everything that makes an object.
  auto paint = [&](int i) {
    auto c = ui::makeGdiCanvas(60, 20);
    c->pushClip(Rect{2, 0, 50, 18});
    c->fill(Rect{0, 0, 60, 20}, 0x00C08040);
    c->outline(Rect{1, 1, 56, 16}, kInk, static_cast<LineStyle>(2 + i % 4), 1);
    c->outline(Rect{4, 4, 10, 10}, kInk, LineStyle::solid, 2);
    c->text(Rect{0, 0, 60, 20}, "安装 Setup", fonts[i % 3], 0, TextLayout{1, 1, false});
    c->measure("安装", fonts[(i + 1) % 3]);
    c->pushClip(Rect{0, 0, 0, 0});
    c->popClip();
    c->popClip();
    const ui::PixelView v = c->pixels();
    std::vector<std::uint32_t> picture;
    for (int k = 0; k < v.width * v.height; ++k) picture.push_back(v.pixels[k] & 0x00FFFFFF);
    return picture;
  };
  std::vector<std::uint32_t> first[12];
  for (int i = 0; i < 12; ++i) first[i] = paint(i);

  // Where the system counts objects (Windows; Wine's count is always 0), the
  // count is back where it was.
  const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 100; ++i) paint(i);
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);

  // Everywhere: more canvases than the system has handles. One object left
  // behind per canvas would exhaust them, and the last pictures would lose
  // their fill, pen, clip or font.
  const int canvases = 66000;
  for (int i = 12; i < canvases; ++i) paint(i);
  for (int i = 0; i < 12; ++i) {
    EXPECT_TRUE(paint(canvases + i) == first[(canvases + i) % 12]) << "picture " << i << " differs after "
                                                                   << canvases << " canvases";
  }
}

}  // namespace
