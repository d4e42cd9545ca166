// The GDI canvas: a window's back buffer as a 32-bit top-down DIB section in
// a memory DC, drawn with gdi32's ANSI text functions, so GBK captions reach
// the system's text output unchanged.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/backend/canvas.h"

namespace ui {

std::unique_ptr<Canvas> makeGdiCanvas(int width, int height);

// The logical font a control draws a stored record with: the record as it
// stands but for character set 1, precisions 0, proof quality and pitch and
// family 0; the face cut to 31 bytes. (A record that is not stored draws
// with the stock default GUI font and does not come here.)
LOGFONTA toLogFont(const Font& font);

}  // namespace ui
