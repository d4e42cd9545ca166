// A real ShellOps over a real file system, with what the tests need to look
// at the results: the POSIX stand-in in a fresh root natively, the Windows
// implementation in a fresh temporary folder under Wine. The same tests run
// against both (platform/real_install_test.cpp).
#pragma once

#include <memory>
#include <string>

#include "platform/shellops.h"

namespace testing_support {

struct ShortcutInfo {
  bool readable = false;
  std::string target;
  std::string description;
  int showCommand = 0;
};

class RealShell {
 public:
  virtual ~RealShell() = default;
  virtual platform::ShellOps& ops() = 0;
  // An empty folder that exists, as a Windows path with a trailing backslash.
  virtual std::string scratch() const = 0;
  // A drive letter path that does not exist on this system ("Q:\").
  virtual std::string missingDrive() const = 0;
  virtual bool readFile(const std::string& path, std::string& bytes) const = 0;
  virtual bool writePlainFile(const std::string& path, const std::string& bytes) const = 0;
  virtual bool isFolder(const std::string& path) const = 0;
  // Hidden (0x2) and system (0x4) bits only: Wine keeps archive beside them.
  virtual unsigned hiddenSystemBits(const std::string& path) const = 0;
  virtual bool setHiddenSystemBits(const std::string& path, unsigned bits) const = 0;
  virtual ShortcutInfo readShortcut(const std::string& lnkPath) const = 0;
  // Holds `path` open exclusively, as a running program holds its own file,
  // until releaseHold() or the end of the fixture.
  virtual bool holdOpen(const std::string& path) = 0;
  virtual void releaseHold() = 0;
  // Removes a file, a shortcut, or an empty folder; false when it cannot.
  virtual bool remove(const std::string& path) const = 0;
};

// The platform's own: defined in real_shell_posix.cpp or real_shell_win32.cpp.
std::unique_ptr<RealShell> makeRealShell();

}  // namespace testing_support
