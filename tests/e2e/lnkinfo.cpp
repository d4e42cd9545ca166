// lnkinfo LINK: prints "target=", "description=" and "showcmd=" lines of a
// shortcut, as the shell reads it back. Exit 1 when it cannot be loaded.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  if (FAILED(CoInitialize(nullptr))) return 1;
  int rc = 1;
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, wide, MAX_PATH);
    if (SUCCEEDED(file->Load(wide, STGM_READ))) {
      char target[MAX_PATH] = {}, description[INFOTIPSIZE] = {};
      int show = 0;
      link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
      link->GetDescription(description, INFOTIPSIZE);
      link->GetShowCmd(&show);
      std::printf("target=%s\ndescription=%s\nshowcmd=%d\n", target, description, show);
      rc = 0;
    }
  }
  if (file) file->Release();
  if (link) link->Release();
  CoUninitialize();
  return rc;
}
