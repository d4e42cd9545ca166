// ShellOps over the Win32 shell and file system.
//
//  [x] fileExists       PathFileExistsA
//  [x] createFolder     CreateDirectoryA, the last folder only
//  [x] writeFile        refusals looked for first, then a flushed temporary
//                       file in the target's folder moved over the target
//  [x] setHidden        SetFileAttributesA(HIDDEN)
//  [x] specialFolder    SHGetSpecialFolderPathA, with a trailing backslash
//  [x] createShortcut   IShellLinkA + IPersistFile::Save
//  [x] browseForFolder  SHBrowseForFolderA(BIF_EDITBOX), installer windows
//                       disabled around it and given their state back
//  [x] askYesNo         MessageBoxA, task-modal, owner dropped once closed
//  [x] runAndWait       CreateProcessA + WaitForSingleObject(INFINITE)
//  [x] describeError    FormatMessageA, "错误 N" when the system has no text
//  [ ] paths longer than MAX_PATH, names outside the ANSI code page
#include "platform/shellops_win32.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>

#include "platform/gbk.h"

namespace platform {
namespace {

ShellStatus lastError() { return ShellStatus::failed(GetLastError()); }

// A COM failure as an error code: a wrapped Win32 code is unwrapped so that
// it reads like the file operations' codes; any other HRESULT is kept whole
// (FormatMessageA knows those too).
ShellStatus comError(HRESULT hr) {
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return ShellStatus::failed(HRESULT_CODE(hr));
  return ShellStatus::failed(static_cast<std::uint32_t>(hr));
}

// Releases a COM interface on every path out of a function.
template <class T>
struct ComRef {
  T* p = nullptr;
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (p) p->Release();
  }
  void** out() { return reinterpret_cast<void**>(&p); }
};

// The name in UTF-16 through the ANSI code page, as the shell link's file
// interface wants it; empty when the text cannot be converted.
std::wstring toWide(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

// --- writeFile helpers ---------------------------------------------------------

// The folder part of `path` with its separator ("" for a bare name), whole
// GBK characters: a trailing byte of 0x5C is not a separator.
std::string folderOf(const std::string& path) {
  const std::size_t back = gbkFindLast(path, '\\');
  const std::size_t forward = gbkFindLast(path, '/');
  std::size_t sep = std::string::npos;
  if (back != std::string::npos) sep = back;
  if (forward != std::string::npos && (sep == std::string::npos || forward > sep)) sep = forward;
  if (sep != std::string::npos) return path.substr(0, sep + 1);
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);  // "C:name"
  return {};
}

// Looks for what must stop a replace before anything is written. The rename
// at the end would not stop for most of these by itself:
//  - hidden or system: Windows refuses to truncate such a file; Wine does not
//    (nor does a rename over it anywhere), so the attributes are read here.
//  - read-only: Wine keeps it as the Unix write bits, which do not bind root,
//    so under Wine the rename would replace it.
//  - held open: Wine's rename over an open file fails, but with access
//    denied, which would hide the cause. Opening for writing with no sharing
//    fails with a sharing violation for any other open handle and for a
//    running program's image (opening it for reading alone would succeed),
//    and opening does not change a file.
ShellStatus checkReplaceable(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return ShellStatus::ok();  // nothing to keep
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ShellStatus::failed(err::alreadyExists);
  if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY))
    return ShellStatus::failed(err::accessDenied);

  HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return lastError();
  CloseHandle(probe);
  return ShellStatus::ok();
}

// The temporary file beside the target: created exclusively, removed again
// unless commit() moved it over the target.
class TempFile {
 public:
  ~TempFile() {
    close();
    if (!path_.empty()) DeleteFileA(path_.c_str());
  }

  // A fresh name in `folder`. Made here rather than by GetTempFileNameA so
  // that a missing or unwritable folder fails with the code that opening the
  // target there would give (path not found, access denied) and the handle is
  // exclusive from the file's first moment.
  ShellStatus create(const std::string& folder) {
    // The clock makes the name; a clash (another write of this moment) takes the next.
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    for (unsigned attempt = 0; attempt < 16; ++attempt) {
      char name[32];
      std::snprintf(name, sizeof name, "~vel%04lx%04x.tmp", GetCurrentProcessId() & 0xFFFFul,
                    static_cast<unsigned>(now.QuadPart + attempt) & 0xFFFFu);
      const std::string candidate = folder + name;
      handle_ = CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle_ != INVALID_HANDLE_VALUE) {
        path_ = candidate;
        return ShellStatus::ok();
      }
      if (GetLastError() != ERROR_FILE_EXISTS) return lastError();
    }
    return ShellStatus::failed(err::alreadyExists);
  }

  // All bytes, then flushed, then closed. One WriteFile takes at most a
  // DWORD's worth; chunks of 1 MB keep every call well inside that.
  ShellStatus write(ByteView bytes) {
    constexpr std::size_t kChunk = 1u << 20;
    for (std::size_t done = 0; done < bytes.size;) {
      const DWORD wanted = static_cast<DWORD>(std::min(kChunk, bytes.size - done));
      DWORD written = 0;
      if (!WriteFile(handle_, bytes.data + done, wanted, &written, nullptr)) return lastError();
      // A short write that reports success has no code of its own; on a
      // file it means the medium is full.
      if (written != wanted) return ShellStatus::failed(err::diskFull);
      done += written;
    }
    if (!FlushFileBuffers(handle_)) return lastError();
    if (!close()) return lastError();
    return ShellStatus::ok();
  }

  ShellStatus commit(const std::string& target) {
    if (!MoveFileExA(path_.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return lastError();
    path_.clear();
    return ShellStatus::ok();
  }

 private:
  bool close() {
    if (handle_ == INVALID_HANDLE_VALUE) return true;
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::string path_;
};

// --- browseForFolder helpers -----------------------------------------------------

// The installer's windows disabled while a system dialog is up, each given
// its own earlier state back (one may have been disabled already by a modal
// window of ours).
class DisabledWindows {
 public:
  explicit DisabledWindows(const std::vector<NativeWindow>& windows) {
    for (NativeWindow w : windows) {
      HWND window = static_cast<HWND>(w);
      if (!IsWindow(window)) continue;
      saved_.push_back({window, IsWindowEnabled(window) != 0});
      EnableWindow(window, FALSE);
    }
  }
  DisabledWindows(const DisabledWindows&) = delete;
  DisabledWindows& operator=(const DisabledWindows&) = delete;
  ~DisabledWindows() {
    for (const Saved& s : saved_) {
      if (IsWindow(s.window)) EnableWindow(s.window, s.wasEnabled ? TRUE : FALSE);
    }
  }

 private:
  struct Saved {
    HWND window;
    bool wasEnabled;
  };
  std::vector<Saved> saved_;
};

std::string pathOfItem(LPITEMIDLIST item) {
  char path[MAX_PATH] = {};
  const bool named = SHGetPathFromIDListA(item, path) != 0;
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(SHGetMalloc(&allocator))) {
    allocator->Free(item);
    allocator->Release();
  }
  return named ? std::string(path) : std::string();
}

}  // namespace

// --- the operations ------------------------------------------------------------------

bool Win32ShellOps::fileExists(const std::string& path) {
  return PathFileExistsA(path.c_str()) != 0;
}

ShellStatus Win32ShellOps::createFolder(const std::string& path) {
  if (!CreateDirectoryA(path.c_str(), nullptr)) return lastError();
  return ShellStatus::ok();
}

ShellStatus Win32ShellOps::writeFile(const std::string& path, ByteView bytes) {
  if (path.empty()) return ShellStatus::failed(err::invalidName);
  ShellStatus status = checkReplaceable(path);
  if (!status) return status;

  TempFile temp;  // removed on every failure below
  if (!(status = temp.create(folderOf(path)))) return status;
  if (!(status = temp.write(bytes))) return status;
  return temp.commit(path);
}

ShellStatus Win32ShellOps::setHidden(const std::string& path) {
  if (!SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN)) return lastError();
  return ShellStatus::ok();
}

std::string Win32ShellOps::specialFolder(SpecialFolder kind) {
  const int csidl = kind == SpecialFolder::desktop ? CSIDL_DESKTOPDIRECTORY : CSIDL_PROGRAMS;
  char buffer[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE)) return {};
  std::string path(buffer);
  if (path.empty()) return {};
  const std::size_t last = gbkLastChar(path);
  if (path[last] != '\\') path += '\\';
  return path;
}

ShellStatus Win32ShellOps::createShortcut(const std::string& linkPath, const std::string& target,
                                          const std::string& description) {
  ComRef<IShellLinkA> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.out());
  if (FAILED(hr)) return comError(hr);
  ComRef<IPersistFile> file;
  hr = link.p->QueryInterface(IID_IPersistFile, file.out());
  if (FAILED(hr)) return comError(hr);

  // Only Save decides success: a link to a target that does not exist yet
  // is still a link.
  link.p->SetPath(target.c_str());
  link.p->SetShowCmd(SW_SHOW);
  if (!description.empty()) link.p->SetDescription(description.c_str());

  const std::wstring name = toWide(shortcutFileName(linkPath));
  if (name.empty()) return ShellStatus::failed(err::invalidName);
  hr = file.p->Save(name.c_str(), TRUE);
  if (FAILED(hr)) return comError(hr);
  return ShellStatus::ok();
}

std::string Win32ShellOps::browseForFolder(const std::string& title,
                                           const std::vector<NativeWindow>& installerWindows) {
  HWND active = GetActiveWindow();
  if (!IsWindow(active)) active = nullptr;
  const HWND foreground = GetForegroundWindow();

  std::string path;
  {
    DisabledWindows disabled(installerWindows);
    path = showFolderBrowser(active, title);
  }
  // Enabling a window does not give it the focus back, and the system may
  // have activated something else while ours were disabled.
  if (foreground && IsWindow(foreground)) SetForegroundWindow(foreground);
  if (active && IsWindow(active)) SetActiveWindow(active);
  return path;
}

std::string showFolderBrowser(NativeWindow owner, const std::string& title) {
  HWND hwnd = static_cast<HWND>(owner);
  if (hwnd && !IsWindow(hwnd)) hwnd = nullptr;
  char displayName[MAX_PATH] = {};
  BROWSEINFOA info = {};
  info.hwndOwner = hwnd;
  info.pidlRoot = nullptr;  // the desktop
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_EDITBOX;
  LPITEMIDLIST item = SHBrowseForFolderA(&info);
  return item ? pathOfItem(item) : std::string();
}

bool Win32ShellOps::askYesNo(NativeWindow owner, const std::string& question,
                             const std::string& caption) {
  HWND window = static_cast<HWND>(owner);
  // A closed owner's handle may already name another program's window.
  if (window && !IsWindow(window)) window = nullptr;
  return MessageBoxA(window, question.c_str(), caption.c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}

ShellStatus Win32ShellOps::runAndWait(const std::string& commandLine) {
  // CreateProcessA may write into the command line, so it gets its own copy.
  std::vector<char> command(commandLine.begin(), commandLine.end());
  command.push_back('\0');

  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return lastError();

  ShellStatus status = ShellStatus::ok();
  if (WaitForSingleObject(process.hProcess, INFINITE) == WAIT_FAILED) status = lastError();
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return status;
}

std::string describeError(std::uint32_t code) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length && buffer ? std::string(buffer, length) : std::string();
  if (buffer) LocalFree(buffer);
  // The system's texts end in a line break, which a report adds itself.
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  if (text.empty()) text = "错误 " + std::to_string(code);
  return text;
}

}  // namespace platform
