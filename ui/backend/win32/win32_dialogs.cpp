// The system's dialogs; each runs its own message loop inside the call, which
// also delivers our posted messages (a deferred destruction is carried out
// while a question is open).
//  [x] messageBox: MessageBoxA with the caller's style; a closed owner dropped
//  [x] browseForFolder: the shell operations' own folder browser (desktop
//      root, edit box), shown with the given owner
//  [ ] a starting folder for the browser (BFFM_INITIALIZED callback)
#include "platform/shellops_win32.h"
#include "ui/backend/win32/win32_backend.h"

namespace ui {

int Win32WindowSystem::messageBox(NativeWindow owner, const std::string& text, const std::string& caption,
                                  unsigned style) {
  HWND hwnd = static_cast<HWND>(owner);
  // A handle of a window that is gone may already name another program's.
  if (hwnd && !IsWindow(hwnd)) hwnd = nullptr;
  const int answer = MessageBoxA(hwnd, text.c_str(), caption.c_str(), style);
  if (answer == 0) fail("MessageBoxA");
  return answer;
}

std::string Win32WindowSystem::browseForFolder(NativeWindow owner, const std::string& title) {
  return platform::showFolderBrowser(owner, title);
}

}  // namespace ui
