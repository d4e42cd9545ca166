// A back buffer as a PNG file, with no library: 8-bit RGB, every row with
// filter 0, in a zlib stream of stored (uncompressed) deflate blocks. The
// files are for tests and the screenshot switch, so size does not matter.
// RGB and not RGBA: GDI leaves the alpha byte of a DIB section at 0, which
// would make a GDI canvas's picture wholly transparent.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "ui/backend/canvas.h"

namespace ui {
namespace {

using Bytes = std::vector<unsigned char>;

std::uint32_t crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::uint32_t adler32(const Bytes& data) {
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : data) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void putBigEndian(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(v >> shift));
}

void putChunk(Bytes& out, const char type[4], const Bytes& data) {
  putBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  putBigEndian(out, crc32(out.data() + start, out.size() - start));
}

Bytes zlibStored(const Bytes& raw) {
  Bytes z{0x78, 0x01};  // deflate, 32 KiB window, no dictionary; 0x7801 % 31 == 0
  std::size_t at = 0;
  do {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    const bool last = at + n == raw.size();
    z.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00
    z.push_back(static_cast<unsigned char>(n));
    z.push_back(static_cast<unsigned char>(n >> 8));
    z.push_back(static_cast<unsigned char>(~n));
    z.push_back(static_cast<unsigned char>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
  } while (at < raw.size());
  putBigEndian(z, adler32(raw));
  return z;
}

}  // namespace

bool writePng(const PixelView& view, const std::string& path) {
  if (!view.pixels || view.width <= 0 || view.height <= 0) return false;

  Bytes raw;
  raw.reserve(static_cast<std::size_t>(view.height) * (1 + 3 * static_cast<std::size_t>(view.width)));
  for (int y = 0; y < view.height; ++y) {
    raw.push_back(0);  // filter: none
    const std::uint32_t* row = view.pixels + static_cast<std::size_t>(y) * view.width;
    for (int x = 0; x < view.width; ++x) {
      raw.push_back(static_cast<unsigned char>(row[x] >> 16));
      raw.push_back(static_cast<unsigned char>(row[x] >> 8));
      raw.push_back(static_cast<unsigned char>(row[x]));
    }
  }

  Bytes header;
  putBigEndian(header, static_cast<std::uint32_t>(view.width));
  putBigEndian(header, static_cast<std::uint32_t>(view.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filter set 0, no interlace

  Bytes file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  putChunk(file, "IHDR", header);
  putChunk(file, "IDAT", zlibStored(raw));
  putChunk(file, "IEND", Bytes{});

  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && written;
}

}  // namespace ui
