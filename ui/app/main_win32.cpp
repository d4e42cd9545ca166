// The installer's entry point on Windows: setup.exe.
//
// It reads no arguments. Before anything else can load a DLL, the DLL search
// path is narrowed to the system folder, so that a DLL planted beside
// setup.exe (a downloads folder holds anything) is never loaded in place of
// a system one that the program or the system loads later at run time.
#include <windows.h>

#include "platform/shellops_win32.h"
#include "ui/app/app.h"
#include "ui/backend/win32/win32_backend.h"
#include "ui/windows/windows.h"

namespace {

void restrictDllSearch() {
#ifndef VELMARO_UNGUARDED_DLL_SEARCH  // only the planted-DLL test's control build sets it
  // SetDefaultDllDirectories came with Windows 8 (and KB2533623 on 7); an
  // older system lacks it, so it is looked up rather than imported.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  if (HMODULE kernel = GetModuleHandleA("kernel32.dll")) {
    auto fn = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (fn) fn(kSearchSystem32);
  }
  // Takes the current directory out of the search order on every system.
  SetDllDirectoryA("");
#endif
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  restrictDllSearch();
  ui::Win32WindowSystem system(instance);
  platform::Win32ShellOps shell;
  ui::App app(system, shell, ui::installerWindows());
  app.run(ui::WELCOME_WINDOW);
}
