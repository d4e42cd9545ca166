// The process: start-up's system part and the end.
//  [x] startProcess: OleInitialize(NULL) once, the current directory set to
//      the executable's folder (GBK-aware search for the last "\")
//  [x] finishProcess: OleUninitialize, only when startProcess took OLE
//  [x] exitProcess: ExitProcess — no unwinding, no destructors, as Windows does
//  [ ] executable paths longer than MAX_PATH
#include <ole2.h>

#include "platform/gbk.h"
#include "ui/backend/win32/win32_backend.h"

namespace ui {

std::string folderOfPath(const std::string& path) {
  const std::size_t slash = platform::gbkFindLast(path, '\\');
  if (slash == std::string::npos) return "";
  std::string folder = path.substr(0, slash);
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';
  return folder;
}

bool Win32WindowSystem::startProcess() {
  const HRESULT hr = OleInitialize(nullptr);
  if (FAILED(hr)) {
    lastFailure_ = describeWin32Error("OleInitialize", static_cast<DWORD>(hr));
    return false;
  }
  oleStarted_ = true;
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    fail("GetModuleFileNameA");
    return true;  // the directory stays as inherited; OLE, the part that matters, is up
  }
  const std::string folder = folderOfPath(std::string(path, n));
  if (!folder.empty() && !SetCurrentDirectoryA(folder.c_str())) fail("SetCurrentDirectoryA");
  return true;
}

void Win32WindowSystem::finishProcess() {
  if (oleStarted_) OleUninitialize();
  oleStarted_ = false;
}

void Win32WindowSystem::exitProcess(int code) {
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace ui
