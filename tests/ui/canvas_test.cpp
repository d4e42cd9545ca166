// The software canvas draws what the controls' pixel tests read: fills,
// outlines and text boxes cut to the clip stack, in the DIB's byte order; and
// the PNG writer makes files that a decoder (ours here, ImageMagick natively)
// reads back pixel for pixel.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ui/backend/canvas.h"

namespace {

using ui::Canvas;
using ui::Font;
using ui::LineStyle;
using ui::Rect;
using ui::TextLayout;

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;
constexpr std::uint32_t kInk = 0x00DBA23A;       // #3AA2DB: R and B differ
constexpr std::uint32_t kInkPixel = 0xFF3AA2DBu;  // as the buffer holds it

std::uint32_t at(const Canvas& c, int x, int y) {
  const ui::PixelView v = c.pixels();
  return v.pixels[static_cast<std::size_t>(y) * v.width + x];
}

// The area as rows of '#' (the ink pixel), '.' (white) and '?' (anything else).
std::vector<std::string> art(const Canvas& c, Rect area, std::uint32_t ink = kInkPixel) {
  std::vector<std::string> rows;
  for (int y = area.top; y < area.top + area.height; ++y) {
    std::string row;
    for (int x = area.left; x < area.left + area.width; ++x) {
      const std::uint32_t p = at(c, x, y);
      row += p == ink ? '#' : p == kWhite ? '.' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> art(const Canvas& c) { return art(c, Rect{0, 0, c.width(), c.height()}); }

// The smallest rectangle holding every pixel that is not white; width 0 when none.
Rect inkBounds(const Canvas& c) {
  int l = c.width(), t = c.height(), r = -1, b = -1;
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x)
      if (at(c, x, y) != kWhite) {
        l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
      }
  if (r < 0) return Rect{0, 0, 0, 0};
  return Rect{l, t, r - l + 1, b - t + 1};
}

Font fontOfHeight(int h) {
  Font f;
  f.stored = true;
  f.height = h;
  f.face = "Arial";
  return f;
}

// --- colours and fills --------------------------------------------------------------

// Guards against red and blue swapped on the screen (a blue bar drawn orange).
TEST(SoftwareCanvas, ColoursReachTheBufferInTheDibByteOrder) {
  struct Case {
    std::uint32_t colour, pixel;
  } cases[] = {
      {0x00DBA23A, 0xFF3AA2DB}, {0x000000FF, 0xFFFF0000}, {0x0000FF00, 0xFF00FF00},
      {0x00FF0000, 0xFF0000FF}, {0x00000000, 0xFF000000}, {0x00F0F0F0, 0xFFF0F0F0},
  };
  for (const Case& k : cases) {
    auto c = ui::makeSoftwareCanvas(2, 1);
    c->fill(Rect{0, 0, 1, 1}, k.colour);
    EXPECT_EQ(at(*c, 0, 0), k.pixel) << std::hex << k.colour;
    EXPECT_EQ(at(*c, 1, 0), kWhite) << "a 1-pixel fill spilled over";
  }
}

// Guards against a fresh window showing garbage before its first paint.
TEST(SoftwareCanvas, StartsWhiteAndReportsItsSize) {
  auto c = ui::makeSoftwareCanvas(5, 3);
  EXPECT_EQ(c->width(), 5);
  EXPECT_EQ(c->height(), 3);
  EXPECT_EQ(c->pixels().width, 5);
  EXPECT_EQ(c->pixels().height, 3);
  EXPECT_EQ(inkBounds(*c).width, 0);
  EXPECT_EQ(c->buttonFace(), 0x00F0F0F0u);
}

// Guards against children painting outside their parent (clip stack wrong).
TEST(SoftwareCanvas, FillsAreCutToTheIntersectionOfEveryPushedClip) {
  struct Case {
    const char* name;
    std::vector<Rect> clips;
    Rect fill;
    std::vector<std::string> expected;
  } cases[] = {
      {"no clip, cut at the buffer", {}, Rect{-2, 4, 20, 9},
       {"........", "........", "........", "........", "########", "########"}},
      {"one clip", {Rect{1, 1, 3, 2}}, Rect{0, 0, 8, 6},
       {"........", ".###....", ".###....", "........", "........", "........"}},
      {"nested clips intersect", {Rect{1, 1, 5, 4}, Rect{3, 0, 5, 3}}, Rect{0, 0, 8, 6},
       {"........", "...###..", "...###..", "........", "........", "........"}},
      {"an inner clip cannot widen an outer one", {Rect{2, 2, 2, 2}, Rect{0, 0, 8, 6}}, Rect{0, 0, 8, 6},
       {"........", "........", "..##....", "..##....", "........", "........"}},
      {"an empty clip cuts everything", {Rect{0, 0, 8, 6}, Rect{3, 3, 0, 5}}, Rect{0, 0, 8, 6},
       {"........", "........", "........", "........", "........", "........"}},
      {"disjoint clips cut everything", {Rect{0, 0, 2, 2}, Rect{5, 4, 2, 2}}, Rect{0, 0, 8, 6},
       {"........", "........", "........", "........", "........", "........"}},
      {"a negative-width fill is nothing", {}, Rect{4, 1, -3, 3},
       {"........", "........", "........", "........", "........", "........"}},
  };
  for (const Case& k : cases) {
    auto c = ui::makeSoftwareCanvas(8, 6);
    for (const Rect& r : k.clips) c->pushClip(r);
    c->fill(k.fill, kInk);
    EXPECT_EQ(art(*c), k.expected) << k.name;
    for (std::size_t i = 0; i < k.clips.size(); ++i) c->popClip();
    // Popped back to nothing: the whole buffer draws again.
    c->fill(Rect{0, 0, 8, 6}, kInk);
    EXPECT_EQ(inkBounds(*c), (Rect{0, 0, 8, 6})) << k.name << ": clip left after popping";
  }
}

// Guards against a popped clip staying in force for the next sibling.
TEST(SoftwareCanvas, PoppingRestoresTheOuterClip) {
  auto c = ui::makeSoftwareCanvas(8, 6);
  c->pushClip(Rect{0, 0, 4, 6});
  c->pushClip(Rect{0, 0, 2, 2});
  c->popClip();
  c->fill(Rect{0, 0, 8, 1}, kInk);
  EXPECT_EQ(art(*c, Rect{0, 0, 8, 1}), (std::vector<std::string>{"####...."}));
}

// Guards against a Label widened past its parent showing beyond the parent's edge.
TEST(SoftwareCanvas, LabelWidenedTo667InsideA536ClipShows536) {
  auto c = ui::makeSoftwareCanvas(700, 30);
  c->pushClip(Rect{0, 0, 536, 30});
  c->fill(Rect{0, 5, 667, 20}, kInk);
  c->popClip();
  EXPECT_EQ(inkBounds(*c), (Rect{0, 5, 536, 20}));
  EXPECT_EQ(at(*c, 535, 10), kInkPixel);
  EXPECT_EQ(at(*c, 536, 10), kWhite);
}

// --- outlines -------------------------------------------------------------------------

// Guards against a ShapeBox's frame drawn outside its box or over its inside.
TEST(SoftwareCanvas, SolidOutlinesLieInsideTheEdges) {
  struct Case {
    const char* name;
    Rect r;
    int lineWidth;
    std::vector<std::string> expected;
  } cases[] = {
      {"width 1", Rect{1, 1, 6, 5}, 1,
       {"........", ".######.", ".#....#.", ".#....#.", ".#....#.", ".######.", "........"}},
      {"width 3", Rect{0, 0, 8, 7}, 3,
       {"########", "########", "########", "###..###", "########", "########", "########"}},
      {"width 0 draws as 1, as a zero-width pen does", Rect{2, 2, 4, 3}, 0,
       {"........", "........", "..####..", "..#..#..", "..####..", "........", "........"}},
      {"wider than half the box is a fill of the box", Rect{1, 1, 5, 4}, 9,
       {"........", ".#####..", ".#####..", ".#####..", ".#####..", "........", "........"}},
      {"a 1-pixel-high box", Rect{1, 3, 6, 1}, 2,
       {"........", "........", "........", ".######.", "........", "........", "........"}},
  };
  for (const Case& k : cases) {
    auto c = ui::makeSoftwareCanvas(8, 7);
    c->outline(k.r, kInk, LineStyle::solid, k.lineWidth);
    EXPECT_EQ(art(*c), k.expected) << k.name;
  }
}

// Guards against a dashed frame drawn solid, two pixels wide, or outside the box.
TEST(SoftwareCanvas, PatternedOutlinesAreOnePixelWithGaps) {
  struct Case {
    LineStyle style;
    const char* topRow;  // the first 27 pixels of the top edge, leftwards from the right corner
  } cases[] = {
      {LineStyle::dash, "##################......###"},
      {LineStyle::dot, "###...###...###...###...###"},
      {LineStyle::dashDot, "#########......###......###"},
      {LineStyle::dashDotDot, "#########...###...###...###"},
  };
  const Rect box{2, 3, 40, 20};
  for (const Case& k : cases) {
    auto c = ui::makeSoftwareCanvas(44, 26);
    c->outline(box, kInk, k.style, 5);  // the width is for solid lines only
    const std::vector<std::string> rows = art(*c);
    const std::string top = rows[3].substr(2, 40);
    EXPECT_EQ(std::string(top.rbegin(), top.rbegin() + 27), k.topRow) << static_cast<int>(k.style);
    int inked = 0, ring = 0;
    for (int y = 0; y < 26; ++y)
      for (int x = 0; x < 44; ++x) {
        const bool onRing = x >= 2 && x < 42 && y >= 3 && y < 23 && (x == 2 || x == 41 || y == 3 || y == 22);
        if (rows[y][x] == '#') {
          EXPECT_TRUE(onRing) << static_cast<int>(k.style) << " ink off the 1-pixel ring at " << x << "," << y;
          ++inked;
        }
        ring += onRing;
      }
    EXPECT_GT(inked, ring / 3) << static_cast<int>(k.style);
    EXPECT_LT(inked, ring) << static_cast<int>(k.style) << ": no gaps";
    // Every side carries some of the pattern.
    EXPECT_NE(rows[22].find('#'), std::string::npos);
    int left = 0, right = 0;
    for (int y = 3; y < 23; ++y) left += rows[y][2] == '#', right += rows[y][41] == '#';
    EXPECT_GT(left, 0);
    EXPECT_GT(right, 0);
  }
}

// Guards against linestyle 0 drawing a frame anyway.
TEST(SoftwareCanvas, NoLineStyleDrawsNothing) {
  auto c = ui::makeSoftwareCanvas(10, 10);
  c->outline(Rect{1, 1, 8, 8}, kInk, LineStyle::none, 3);
  EXPECT_EQ(inkBounds(*c).width, 0);
}

// Guards against an outline crossing its parent's edge.
TEST(SoftwareCanvas, OutlinesAreCutToTheClip) {
  auto c = ui::makeSoftwareCanvas(8, 6);
  c->pushClip(Rect{0, 0, 4, 6});
  c->outline(Rect{1, 1, 6, 4}, kInk, LineStyle::solid, 1);
  c->popClip();
  EXPECT_EQ(art(*c), (std::vector<std::string>{"........", ".###....", ".#......", ".#......", ".###....", "........"}));
}

// --- text -------------------------------------------------------------------------------

// Guards against caption letters overlapping or two-byte characters taking one cell.
TEST(SoftwareCanvas, EachCharacterIsItsCellLessAPixelEachSide) {
  struct Case {
    const char* name;
    std::string text;
    std::string row;  // the ink of any row of the line, from the left of the rect
  } cases[] = {
      {"single bytes", "ab", ".#..#..."},
      {"a two-byte character is twice as wide", "a中b", ".#..####..#."},
      {"a space draws nothing but takes its cell", "a b", ".#.....#.."},
      {"two two-byte characters", "中文", ".####..####."},
  };
  for (const Case& k : cases) {
    auto c = ui::makeSoftwareCanvas(12, 8);
    c->text(Rect{0, 1, 12, 6}, k.text, fontOfHeight(6), kInk, TextLayout{});
    const std::vector<std::string> rows = art(*c);
    for (int y = 0; y < 8; ++y) {
      const bool inLine = y >= 1 && y < 7;
      const std::string want = inLine ? (k.row + std::string(12 - k.row.size(), '.')) : std::string(12, '.');
      EXPECT_EQ(rows[y], want) << k.name << ", row " << y;
    }
  }
}

// Guards against text drawn in the wrong size for the font record's height forms.
TEST(SoftwareCanvas, MeasureUsesTheFontHeight) {
  Font unstored;
  unstored.height = 30;  // ignored: an unstored font is the default GUI font
  struct Case {
    const char* name;
    Font font;
    std::string text;
    Rect expected;
  } cases[] = {
      {"positive height", fontOfHeight(16), "ab", Rect{0, 0, 16, 16}},
      {"negative height means the same", fontOfHeight(-16), "ab", Rect{0, 0, 16, 16}},
      {"height 0 is the default 12", fontOfHeight(0), "ab", Rect{0, 0, 12, 12}},
      {"no stored font is the default GUI font", unstored, "ab", Rect{0, 0, 12, 12}},
      {"two-byte characters", fontOfHeight(10), "安装a", Rect{0, 0, 25, 10}},
      {"empty text", fontOfHeight(10), "", Rect{0, 0, 0, 10}},
  };
  for (const Case& k : cases) {
    auto c = ui::makeSoftwareCanvas(4, 4);
    EXPECT_EQ(c->measure(k.text, k.font), k.expected) << k.name;
  }
}

// Guards against captions sitting in the wrong corner for halign/valign.
TEST(SoftwareCanvas, AlignmentPlacesTheLineAsDrawTextDoes) {
  // "AB" at height 12: cells of 6, ink from 1 to 10 of the 12-pixel line.
  const Rect r{10, 10, 101, 41};
  struct Case {
    int halign, valign;
    Rect ink;
  } cases[] = {
      {0, 0, Rect{11, 10, 10, 12}},  {1, 0, Rect{55, 10, 10, 12}}, {2, 0, Rect{100, 10, 10, 12}},
      {0, 1, Rect{11, 24, 10, 12}},  {1, 1, Rect{55, 24, 10, 12}}, {2, 2, Rect{100, 39, 10, 12}},
  };
  for (const Case& k : cases) {
    auto c = ui::makeSoftwareCanvas(120, 60);
    TextLayout layout;
    layout.halign = k.halign;
    layout.valign = k.valign;
    c->text(r, "AB", fontOfHeight(12), kInk, layout);
    EXPECT_EQ(inkBounds(*c), k.ink) << "halign " << k.halign << " valign " << k.valign;
    EXPECT_EQ(at(*c, k.ink.left, k.ink.top), kInkPixel) << "text colour in the buffer's byte order";
  }
}

// Guards against wrapped captions running off the label or breaking inside words.
TEST(SoftwareCanvas, WrapBreaksAtSpacesAndBetweenTwoByteCharacters) {
  struct Case {
    const char* name;
    std::string text;
    int halign;
    std::vector<std::string> lines;  // one ink row per line, rect 30 wide, height 6
  } cases[] = {
      {"at a space", "aaa bbb ccc", 0,
       {".#..#..#.....#..#..#..........", ".#..#..#......................"}},
      {"between two-byte characters", "中中中中中中中", 0,
       {".####..####..####..####..####.", ".####..####."}},
      {"spaces at a break are dropped", "aaaaaaa    bb", 0,
       {".#..#..#..#..#..#..#..........", ".#..#........................."}},
      {"a word wider than the rect stays whole and is cut", "aaaaaaaaaaaaa b", 0,
       {".#..#..#..#..#..#..#..#..#..#.", ".#............................"}},
      {"each line centred for itself", "aaaaaaaa bb", 1,
       {"....#..#..#..#..#..#..#..#....", ".............#..#.............."}},
      {"a line feed breaks", "a\nb", 0, {".#....", ".#...."}},
  };
  for (const Case& k : cases) {
    auto c = ui::makeSoftwareCanvas(40, 30);
    TextLayout layout;
    layout.wrap = true;
    layout.halign = k.halign;
    layout.valign = 2;  // not used when wrapping
    c->text(Rect{0, 0, 30, 30}, k.text, fontOfHeight(6), kInk, layout);
    const std::vector<std::string> rows = art(*c, Rect{0, 0, 40, 30});
    for (std::size_t i = 0; i < k.lines.size(); ++i) {
      const std::string want = k.lines[i] + std::string(40 - k.lines[i].size(), '.');
      EXPECT_EQ(rows[i * 6], want) << k.name << ", line " << i;
      EXPECT_EQ(rows[i * 6 + 5], want) << k.name << ", line " << i << " bottom row";
    }
    EXPECT_EQ(rows[k.lines.size() * 6], std::string(40, '.')) << k.name << ": an extra line";
  }
}

// Guards against text painting past its label or its parent.
TEST(SoftwareCanvas, TextIsCutToTheRectAndTheClip) {
  struct Case {
    const char* name;
    Rect r;
    std::vector<Rect> clips;
    TextLayout layout;
    Rect ink;
  } cases[] = {
      {"cut at the right edge", Rect{2, 2, 15, 20}, {}, TextLayout{0, 0, false}, Rect{3, 2, 14, 12}},
      {"centred text taller than the rect is cut at both", Rect{2, 5, 30, 6}, {}, TextLayout{0, 1, false},
       Rect{3, 5, 28, 6}},
      {"cut by the clip", Rect{2, 2, 40, 20}, {Rect{0, 0, 10, 8}}, TextLayout{0, 0, false}, Rect{3, 2, 4, 6}},
      {"wrapped lines stop at the bottom", Rect{2, 2, 9, 20}, {}, TextLayout{0, 0, true}, Rect{3, 2, 4, 20}},
  };
  for (const Case& k : cases) {
    auto c = ui::makeSoftwareCanvas(50, 40);
    for (const Rect& clip : k.clips) c->pushClip(clip);
    c->text(k.r, "a a a a a a a a", fontOfHeight(12), kInk, k.layout);
    for (std::size_t i = 0; i < k.clips.size(); ++i) c->popClip();
    EXPECT_EQ(inkBounds(*c), k.ink) << k.name;
  }
}

// --- PNG ---------------------------------------------------------------------------------

using Bytes = std::vector<unsigned char>;

std::uint32_t bigEndian(const Bytes& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

// Table-driven, unlike the writer's bitwise one, so a shared mistake is unlikely.
std::uint32_t referenceCrc(const unsigned char* p, std::size_t n) {
  static std::uint32_t table[256];
  static bool made = false;
  if (!made) {
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
    made = true;
  }
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

struct DecodedPng {
  std::string error;
  int width = 0, height = 0, blocks = 0;
  std::vector<std::uint32_t> pixels;  // 0xFFRRGGBB
};

DecodedPng failed(const std::string& why) {
  DecodedPng d;
  d.error = why;
  return d;
}

// Enough of a decoder for what the writer claims to make: 8-bit RGB, stored
// deflate blocks, filter 0; anything else is an error.
DecodedPng decodePng(const Bytes& f) {
  DecodedPng out;
  const Bytes signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (f.size() < 8 || !std::equal(signature.begin(), signature.end(), f.begin())) return failed("signature");
  Bytes idat;
  std::vector<std::string> order;
  std::size_t at = 8;
  while (at + 12 <= f.size()) {
    const std::uint32_t len = bigEndian(f, at);
    if (at + 12 + len > f.size()) return failed("chunk runs past the end");
    const std::string type(f.begin() + at + 4, f.begin() + at + 8);
    if (referenceCrc(&f[at + 4], len + 4) != bigEndian(f, at + 8 + len)) return failed("bad CRC in " + type);
    order.push_back(type);
    const Bytes data(f.begin() + at + 8, f.begin() + at + 8 + len);
    if (type == "IHDR") {
      if (len != 13) return failed("IHDR length");
      out.width = static_cast<int>(bigEndian(data, 0));
      out.height = static_cast<int>(bigEndian(data, 4));
      if (data[8] != 8 || data[9] != 2 || data[10] || data[11] || data[12]) return failed("not 8-bit RGB");
    } else if (type == "IDAT") {
      idat.insert(idat.end(), data.begin(), data.end());
    }
    at += 12 + len;
  }
  if (at != f.size()) return failed("bytes after the last chunk");
  if (order.empty() || order.front() != "IHDR" || order.back() != "IEND") return failed("chunk order");
  if (idat.size() < 6 || ((idat[0] << 8) | idat[1]) % 31 != 0 || (idat[0] & 0x0F) != 8) return failed("zlib header");
  Bytes raw;
  std::size_t p = 2;
  for (bool last = false; !last;) {
    if (p + 5 > idat.size()) return failed("deflate runs past the end");
    if ((idat[p] & 0x06) != 0) return failed("not a stored block");
    last = idat[p] & 1;
    const unsigned n = idat[p + 1] | (idat[p + 2] << 8), nn = idat[p + 3] | (idat[p + 4] << 8);
    if ((n ^ 0xFFFF) != nn) return failed("LEN and NLEN disagree");
    if (p + 5 + n > idat.size()) return failed("stored block runs past the end");
    raw.insert(raw.end(), idat.begin() + p + 5, idat.begin() + p + 5 + n);
    p += 5 + n;
    ++out.blocks;
  }
  if (p + 4 != idat.size()) return failed("Adler-32 missing or extra bytes");
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
  if (((b << 16) | a) != bigEndian(idat, p)) return failed("bad Adler-32");
  const std::size_t stride = 1 + 3 * static_cast<std::size_t>(out.width);
  if (raw.size() != stride * out.height) return failed("image data size");
  for (int y = 0; y < out.height; ++y) {
    if (raw[y * stride] != 0) return failed("filter is not 0");
    for (int x = 0; x < out.width; ++x) {
      const unsigned char* px = &raw[y * stride + 1 + 3 * x];
      out.pixels.push_back(0xFF000000u | (px[0] << 16) | (px[1] << 8) | px[2]);
    }
  }
  return out;
}

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Guards against screenshots that no viewer opens, or that show other colours.
TEST(CanvasPng, ReadsBackPixelForPixel) {
  struct Case {
    const char* name;
    int width, height, blocks;
  } cases[] = {
      {"one pixel", 1, 1, 1},
      {"odd size", 7, 3, 1},
      {"more than one stored block", 200, 150, 2},  // 150 rows of 601 bytes > 65535
  };
  for (const Case& k : cases) {
    auto c = ui::makeSoftwareCanvas(k.width, k.height);
    c->fill(Rect{0, 0, k.width, k.height / 2 + 1}, kInk);
    c->fill(Rect{k.width / 2, 0, 1, k.height}, 0x00123456);
    const std::string path = ::testing::TempDir() + "velmaro_canvas_test.png";
    ASSERT_TRUE(ui::writePng(c->pixels(), path)) << k.name;
    const DecodedPng png = decodePng(readFile(path));
    ASSERT_EQ(png.error, "") << k.name;
    EXPECT_EQ(png.width, k.width) << k.name;
    EXPECT_EQ(png.height, k.height) << k.name;
    EXPECT_EQ(png.blocks, k.blocks) << k.name;
    const ui::PixelView v = c->pixels();
    EXPECT_EQ(png.pixels, std::vector<std::uint32_t>(v.pixels, v.pixels + k.width * k.height)) << k.name;

#ifndef _WIN32
    // A real decoder agrees (when this machine has one).
    if (std::FILE* probe = std::fopen("/usr/bin/identify", "rb")) {
      std::fclose(probe);
      const std::string report = path + ".txt";
      const std::string cmd = "/usr/bin/identify -format '%w %h' '" + path + "' > '" + report + "' 2>&1";
      ASSERT_EQ(std::system(cmd.c_str()), 0) << k.name;
      const Bytes said = readFile(report);
      EXPECT_EQ(std::string(said.begin(), said.end()), std::to_string(k.width) + " " + std::to_string(k.height))
          << k.name;
      std::remove(report.c_str());
    }
#endif
    std::remove(path.c_str());
  }
}

// Guards against a silent success when the screenshot could not be written.
TEST(CanvasPng, RefusesAnEmptyImageAndAnUnwritablePath) {
  auto c = ui::makeSoftwareCanvas(0, 0);
  EXPECT_FALSE(ui::writePng(c->pixels(), ::testing::TempDir() + "velmaro_empty.png"));
  auto d = ui::makeSoftwareCanvas(2, 2);
  EXPECT_FALSE(ui::writePng(d->pixels(), ::testing::TempDir() + "no-such-folder/x/y.png"));
}

}  // namespace
