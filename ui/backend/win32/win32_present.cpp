// Paint and presentation of a window's back buffer.
//  [x] WM_PAINT: BeginPaint, a `paint` event with the update rectangle,
//      EndPaint — so an unhandled paint still validates the window
//  [x] present: SetDIBitsToDevice of the area from a top-down 32-bit buffer,
//      into the paint's DC within a paint, otherwise a DC of its own
//  [x] invalidate: InvalidateRect without erasing (the buffer covers the area)
//  [ ] the back buffer as a DIB section of our own; per-monitor DPI
#include "ui/backend/win32/win32_backend.h"
#include "ui/backend/win32/win32_canvas.h"

#include <algorithm>

namespace ui {

void Win32WindowSystem::onPaint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  const HWND outerWindow = paintWindow_;
  const HDC outerDc = paintDc_;
  paintWindow_ = hwnd;
  paintDc_ = dc;
  Event e(EventType::paint);
  e.window = hwnd;
  e.rect = Rect{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left, ps.rcPaint.bottom - ps.rcPaint.top};
  deliver(e);
  paintWindow_ = outerWindow;
  paintDc_ = outerDc;
  EndPaint(hwnd, &ps);
}

void Win32WindowSystem::invalidate(NativeWindow w, Rect area) {
  RECT r{area.left, area.top, area.left + area.width, area.top + area.height};
  InvalidateRect(static_cast<HWND>(w), &r, FALSE);
}

void Win32WindowSystem::present(NativeWindow w, const PixelView& buffer, Rect area) {
  HWND hwnd = static_cast<HWND>(w);
  if (!buffer.pixels || buffer.width <= 0 || buffer.height <= 0) return;
  // Clip the area to the buffer.
  const int left = std::max(0, area.left), top = std::max(0, area.top);
  const int right = std::min(buffer.width, area.left + area.width);
  const int bottom = std::min(buffer.height, area.top + area.height);
  if (right <= left || bottom <= top) return;

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = buffer.width;
  info.bmiHeader.biHeight = -buffer.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;

  const bool inPaint = paintWindow_ == hwnd && paintDc_;
  HDC dc = inPaint ? paintDc_ : GetDC(hwnd);
  if (!dc) {
    fail("GetDC");
    return;
  }
  // With a top-down DIB, the source rectangle is counted from the top too;
  // passing all rows keeps SetDIBitsToDevice's scan-line arithmetic trivial.
  if (!SetDIBitsToDevice(dc, left, top, static_cast<DWORD>(right - left), static_cast<DWORD>(bottom - top), left, top,
                         0, static_cast<UINT>(buffer.height), buffer.pixels, &info, DIB_RGB_COLORS)) {
    fail("SetDIBitsToDevice");
  }
  if (!inPaint) ReleaseDC(hwnd, dc);
}

std::unique_ptr<Canvas> Win32WindowSystem::createCanvas(int width, int height) {
  return makeGdiCanvas(width, height);
}

}  // namespace ui
