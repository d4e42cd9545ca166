// A DLL planted beside setup.exe under the name of a system DLL that is
// loaded at run time (uxtheme.dll). It exports nothing the system wants; all
// it does when loaded is leave a marker file beside itself, so a test can
// tell whether the program picked it up from its own folder.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
  while (n > 0 && path[n - 1] != '\\') --n;
  const char marker[] = "planted_loaded.txt";
  if (n + sizeof marker > MAX_PATH) return TRUE;
  CopyMemory(path + n, marker, sizeof marker);
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, "loaded\r\n", 8, &written, nullptr);
    CloseHandle(file);
  }
  // Refused, so the loader goes on to the real DLL and the program can still
  // be closed normally after the marker is written.
  return FALSE;
}
