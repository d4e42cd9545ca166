// A Win32 failure as text, in one place.
//  [x] FormatMessageA in the system's language, line breaks trimmed
//  [x] the bare number when the system has no text for it
#include <cstdio>

#include "ui/backend/win32/win32_backend.h"

namespace ui {

std::string describeWin32Error(const char* what, DWORD code) {
  char text[512] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                           text, sizeof text, nullptr);
  // The system's texts end in CR LF (and sometimes a full stop and a space).
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) text[--n] = '\0';
  char number[32];
  std::snprintf(number, sizeof number, " (%lu)", static_cast<unsigned long>(code));
  std::string out = what;
  out += ": ";
  out += n > 0 ? std::string(text, n) : std::string("错误");
  out += number;
  return out;
}

void Win32WindowSystem::fail(const char* what) { lastFailure_ = describeWin32Error(what, GetLastError()); }

}  // namespace ui
