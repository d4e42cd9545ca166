// probe: the small Win32 look-ups and actions that the payload tests need
// and a shell script cannot do under Wine. Texts are GBK bytes both ways.
//
//   probe texts TITLE MS       wait up to MS for a top-level window titled
//                              TITLE; print its title, then each child's text
//   probe special KIND         print the desktop, programs or temp folder
//   probe attrs PATH           print the file attributes in hex
//   probe hide PATH            make PATH hidden
//   probe link LINK TARGET     save a shortcut LINK (ending in .lnk) to TARGET
//   probe target LINK          print a shortcut's target
//   probe hold PATH MS         open PATH exclusively, print "held", hold it MS
//   probe waitgone PREFIX MS   wait up to MS until no process's file name
//                              starts with PREFIX
//   probe version PATH         print the file and product version numbers
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Found {
  const char* title;
  HWND window;
};

BOOL CALLBACK matchTitle(HWND window, LPARAM data) {
  Found* found = reinterpret_cast<Found*>(data);
  char title[512];
  if (IsWindowVisible(window) && GetWindowTextA(window, title, sizeof title) && std::strcmp(title, found->title) == 0) {
    found->window = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK printChild(HWND window, LPARAM) {
  char text[1024];
  GetWindowTextA(window, text, sizeof text);
  std::printf("%s\n", text);
  return TRUE;
}

int texts(const char* title, DWORD ms) {
  Found found = {title, nullptr};
  for (DWORD waited = 0; !found.window && waited <= ms; waited += 100) {
    EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&found));
    if (!found.window) Sleep(100);
  }
  if (!found.window) return 1;
  std::printf("%s\n", title);
  EnumChildWindows(found.window, printChild, 0);
  return 0;
}

int special(const char* kind) {
  char path[MAX_PATH] = "";
  if (std::strcmp(kind, "temp") == 0) {
    if (!GetTempPathA(MAX_PATH, path)) return 1;
  } else {
    int csidl = std::strcmp(kind, "desktop") == 0 ? CSIDL_DESKTOPDIRECTORY : CSIDL_PROGRAMS;
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return 1;
  }
  std::printf("%s\n", path);
  return 0;
}

int link(const char* linkPath, const char* target, bool save) {
  CoInitialize(nullptr);
  IShellLinkA* shellLink = nullptr;
  IPersistFile* file = nullptr;
  int rc = 1;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&shellLink))) &&
      SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, MAX_PATH);
    if (save) {
      shellLink->SetPath(target);
      if (SUCCEEDED(file->Save(wide, TRUE))) rc = 0;
    } else if (SUCCEEDED(file->Load(wide, STGM_READ))) {
      char path[MAX_PATH] = "";
      if (shellLink->GetPath(path, MAX_PATH, nullptr, 0) == S_OK) {
        std::printf("%s\n", path);
        rc = 0;
      }
    }
  }
  if (file) file->Release();
  if (shellLink) shellLink->Release();
  CoUninitialize();
  return rc;
}

int hold(const char* path, DWORD ms) {
  HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(ms);
  CloseHandle(file);
  return 0;
}

bool anyProcessStartingWith(const char* prefix) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return true;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  bool any = false;
  for (BOOL more = Process32First(snapshot, &entry); more && !any; more = Process32Next(snapshot, &entry)) {
    any = _strnicmp(entry.szExeFile, prefix, std::strlen(prefix)) == 0;
  }
  CloseHandle(snapshot);
  return any;
}

int waitGone(const char* prefix, DWORD ms) {
  for (DWORD waited = 0; waited <= ms; waited += 100) {
    if (!anyProcessStartingWith(prefix)) return 0;
    Sleep(100);
  }
  return 1;
}

int version(const char* path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return 1;
  std::string data(size, '\0');
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoA(path, 0, size, &data[0]) ||
      !VerQueryValueA(&data[0], "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) {
    return 1;
  }
  std::printf("%u.%u.%u.%u %u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
              HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS), HIWORD(fixed->dwProductVersionMS),
              LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
              LOWORD(fixed->dwProductVersionLS));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Plain "\n" line ends: the script reads these lines as they come.
  _setmode(_fileno(stdout), _O_BINARY);
  std::string command = argc > 1 ? argv[1] : "";
  DWORD ms = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 0;
  if (command == "texts" && argc == 4) return texts(argv[2], ms);
  if (command == "special" && argc == 3) return special(argv[2]);
  if (command == "attrs" && argc == 3) {
    DWORD attributes = GetFileAttributesA(argv[2]);
    if (attributes == INVALID_FILE_ATTRIBUTES) return 1;
    std::printf("%lx\n", attributes);
    return 0;
  }
  if (command == "hide" && argc == 3) return SetFileAttributesA(argv[2], FILE_ATTRIBUTE_HIDDEN) ? 0 : 1;
  if (command == "link" && argc == 4) return link(argv[2], argv[3], true);
  if (command == "target" && argc == 3) return link(argv[2], nullptr, false);
  if (command == "hold" && argc == 4) return hold(argv[2], ms);
  if (command == "waitgone" && argc == 4) return waitGone(argv[2], ms);
  if (command == "version" && argc == 3) return version(argv[2]);
  std::fprintf(stderr, "probe: unknown command\n");
  return 2;
}
