#include "ui/windows/windows.h"

namespace ui {

std::vector<WindowRecord> installerWindows() {
  auto window = [](const char* name, int height) {
    WindowRecord r;
    r.name = name;
    r.rect = Rect{50, 50, 550, height};  // centred when opened; the stored place is not used
    return r;
  };
  return {
      window(WELCOME_WINDOW, 360),
      window("窗口_协议", 345),
      window("窗口_进度", 360),
      window("窗口_完成", 360),
  };
}

}  // namespace ui
