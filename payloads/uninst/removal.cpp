#include "payloads/uninst/removal.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "payloads/uninst/names.h"
#include "payloads/uninst/paths.h"

namespace uninst {

namespace {

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A file of ours: gone already, or deleted now. A folder that carries one of
// our file names is not ours and stays (it keeps the product folder too).
bool removeFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return true;
  // mini.dll is hidden, and a read-only file would refuse DeleteFileA.
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  if (DeleteFileA(path.c_str())) return true;
  SetFileAttributesA(path.c_str(), attributes);  // as it was, if it stays
  return false;
}

bool isEmptyFolder(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA(joinPath(folder, "*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool empty = true;
  do {
    if (lstrcmpA(entry.cFileName, ".") != 0 && lstrcmpA(entry.cFileName, "..") != 0) empty = false;
  } while (empty && FindNextFileA(find, &entry));
  FindClose(find);
  return empty;
}

// Whether `folder` holds anything but uninst.exe.
bool holdsOtherThings(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA(joinPath(folder, "*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool other = false;
  do {
    const char* name = entry.cFileName;
    if (lstrcmpA(name, ".") != 0 && lstrcmpA(name, "..") != 0 && lstrcmpiA(name, kUninstallerFile) != 0) {
      other = true;
    }
  } while (!other && FindNextFileA(find, &entry));
  FindClose(find);
  return other;
}

// The target a shortcut file names, or empty when it cannot be read.
std::string shortcutTarget(const std::string& link) {
  std::string target;
  IShellLinkA* shellLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shellLink)))) {
    return target;
  }
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH) > 0 &&
        SUCCEEDED(file->Load(wide, STGM_READ))) {
      char path[MAX_PATH] = "";
      if (shellLink->GetPath(path, MAX_PATH, nullptr, 0) == S_OK) target = path;
    }
    file->Release();
  }
  shellLink->Release();
  return target;
}

// A shortcut is ours only when it leads into this installation: another
// installation elsewhere (or the user's own link of the same name) keeps its
// shortcuts. One that cannot be read is left alone for the same reason.
void removeShortcut(const std::string& link, const std::string& folder, Outcome& outcome) {
  if (!exists(link)) return;
  std::string target = shortcutTarget(link);
  if (target.empty() || !sameFolder(parentFolder(target), folder)) return;
  if (!removeFile(link)) {
    outcome.failed.push_back(link);
    outcome.keepUninstaller = true;
  }
}

std::string specialFolder(int csidl) {
  char path[MAX_PATH] = "";
  if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return std::string();
  return path;
}

// RemoveDirectoryA, retried for a moment: a process that has just ended can
// hold its folder (its current directory, its image) for a little while.
bool removeEmptyFolder(const std::string& folder) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (RemoveDirectoryA(folder.c_str()) || !exists(folder)) return true;
    if (!isEmptyFolder(folder)) return false;
    Sleep(100);
  }
  return false;
}

}  // namespace

Outcome removeInstallation(const std::string& folder) {
  Outcome outcome;
  for (const char* name : {kExamFile, kDatabaseFile, kConfigFile}) {
    std::string path = joinPath(folder, name);
    if (!removeFile(path)) outcome.failed.push_back(path);
  }
  if (!outcome.failed.empty()) outcome.keepUninstaller = true;

  std::string desktop = specialFolder(CSIDL_DESKTOPDIRECTORY);
  if (!desktop.empty()) removeShortcut(joinPath(desktop, kExamShortcut), folder, outcome);

  std::string programs = specialFolder(CSIDL_PROGRAMS);
  if (!programs.empty()) {
    std::string group = joinPath(programs, kGroupFolder);
    removeShortcut(joinPath(group, kExamShortcut), folder, outcome);
    if (!outcome.keepUninstaller) removeShortcut(joinPath(group, kUninstallShortcut), folder, outcome);
    // Only when empty: a shortcut left above, or one of the user's own, keeps it.
    if (exists(group) && isEmptyFolder(group) && !removeEmptyFolder(group)) outcome.failed.push_back(group);
  }

  if (!outcome.keepUninstaller && holdsOtherThings(folder)) outcome.keptFolders.push_back(folder);
  outcome.complete = true;
  return outcome;
}

void removeUninstaller(const std::string& folder, Outcome& outcome) {
  std::string self = joinPath(folder, kUninstallerFile);
  // The image of a process that has just ended may stay mapped a moment.
  bool removed = false;
  for (int attempt = 0; attempt < 50 && !(removed = removeFile(self)); ++attempt) Sleep(100);
  if (!removed) {
    outcome.failed.push_back(self);
    return;
  }
  if (isEmptyFolder(folder) && !removeEmptyFolder(folder)) outcome.failed.push_back(folder);
}

std::string encodeOutcome(const Outcome& outcome) {
  std::string text;
  for (const std::string& path : outcome.failed) text += "F " + path + "\n";
  for (const std::string& path : outcome.keptFolders) text += "K " + path + "\n";
  if (outcome.keepUninstaller) text += "U\n";
  if (outcome.complete) text += "D\n";
  return text;
}

Outcome decodeOutcome(const std::string& text) {
  Outcome outcome;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) break;  // a cut-off last line: the sender died
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.size() > 2 && line[0] == 'F' && line[1] == ' ') outcome.failed.push_back(line.substr(2));
    else if (line.size() > 2 && line[0] == 'K' && line[1] == ' ') outcome.keptFolders.push_back(line.substr(2));
    else if (line == "U") outcome.keepUninstaller = true;
    else if (line == "D") outcome.complete = true;
  }
  return outcome;
}

}  // namespace uninst
