// RealShell under Windows (and Wine): Win32ShellOps in a fresh folder under
// the user's temporary folder, removed with everything in it at the end.
// Test code looks at the results through the Win32 API directly.
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "platform/shellops_win32.h"
#include "support/real_shell.h"

namespace testing_support {
namespace {

// The program initialises OLE once at start-up; every test program that
// links a real shell does the same, so shortcuts can be saved and read.
class OleEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};
[[maybe_unused]] const ::testing::Environment* const kOle =
    ::testing::AddGlobalTestEnvironment(new OleEnvironment);

std::wstring toWide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
  wide.resize(static_cast<std::size_t>(length) - 1);
  return wide;
}

// The show command as saved in a link file's header. Wine's loader hands
// every value but 3 and 7 back as 1 (the link format's rule for readers), so
// GetShowCmd after Load cannot tell whether 5 was saved; the header can.
bool storedShowCommand(const std::string& lnkPath, int& showCommand) {
  constexpr DWORD kHeaderSize = 0x4C, kShowCommandOffset = 0x3C;
  HANDLE file = CreateFileA(lnkPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  unsigned char header[kHeaderSize] = {};
  DWORD got = 0;
  const bool read = ReadFile(file, header, kHeaderSize, &got, nullptr) && got == kHeaderSize;
  CloseHandle(file);
  if (!read || header[0] != kHeaderSize) return false;
  const unsigned char* field = header + kShowCommandOffset;
  showCommand = field[0] | field[1] << 8 | field[2] << 16 | field[3] << 24;
  return true;
}

// Deletes `folder` (with a trailing backslash) and all it holds, whatever
// their attributes.
void removeTree(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeTree(path + "\\");
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

class Win32RealShell : public RealShell {
 public:
  Win32RealShell() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    for (unsigned n = 0; n < 1000 && scratch_.empty(); ++n) {
      char name[64];
      std::snprintf(name, sizeof name, "velmaro-test-%lu-%u\\", GetCurrentProcessId(), n);
      const std::string candidate = std::string(temp) + name;
      if (CreateDirectoryA(candidate.c_str(), nullptr)) scratch_ = candidate;
    }
    if (scratch_.empty()) ADD_FAILURE() << "no scratch folder under " << temp;
  }
  ~Win32RealShell() override {
    releaseHold();
    if (!scratch_.empty()) removeTree(scratch_);
  }

  platform::ShellOps& ops() override { return ops_; }
  std::string scratch() const override { return scratch_; }

  std::string missingDrive() const override {
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Z'; letter >= 'D'; --letter) {
      if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":\\";
    }
    return {};
  }

  bool readFile(const std::string& path, std::string& bytes) const override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.clear();
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0)
      bytes.append(buffer, got);
    CloseHandle(file);
    return ok;
  }

  bool writePlainFile(const std::string& path, const std::string& bytes) const override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                                &written, nullptr) &&
                                      written == bytes.size());
    return CloseHandle(file) && ok;
  }

  bool isFolder(const std::string& path) const override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  unsigned hiddenSystemBits(const std::string& path) const override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    return attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  }

  bool setHiddenSystemBits(const std::string& path, unsigned bits) const override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    const DWORD kept = attributes & ~DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                           FILE_ATTRIBUTE_NORMAL);
    DWORD wanted = kept | (bits & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesA(path.c_str(), wanted) != 0;
  }

  ShortcutInfo readShortcut(const std::string& lnkPath) const override {
    ShortcutInfo info;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
      return info;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      const std::wstring name = toWide(lnkPath);
      if (SUCCEEDED(file->Load(name.c_str(), STGM_READ))) {
        char target[MAX_PATH] = {};
        char description[INFOTIPSIZE] = {};
        info.readable = SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
                        SUCCEEDED(link->GetDescription(description, INFOTIPSIZE)) &&
                        storedShowCommand(lnkPath, info.showCommand);
        info.target = target;
        info.description = description;
      }
      file->Release();
    }
    link->Release();
    return info;
  }

  bool holdOpen(const std::string& path) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    holds_.push_back(file);
    return true;
  }

  void releaseHold() override {
    for (HANDLE file : holds_) CloseHandle(file);
    holds_.clear();
  }

  bool remove(const std::string& path) const override {
    if (isFolder(path)) return RemoveDirectoryA(path.c_str()) != 0;
    return DeleteFileA(path.c_str()) != 0;
  }

 private:
  platform::Win32ShellOps ops_;
  std::string scratch_;
  std::vector<HANDLE> holds_;
};

}  // namespace

std::unique_ptr<RealShell> makeRealShell() { return std::make_unique<Win32RealShell>(); }

}  // namespace testing_support
