// The Windows shell operations: ShellOps over the real Win32 shell and file
// system. The only file of the program that calls them (see shellops.h).
//
// The component object model must be initialised on the calling thread
// (OleInitialize, by the program's start-up) before createShortcut runs.
#pragma once

#include <string>
#include <vector>

#include "platform/shellops.h"

namespace platform {

class Win32ShellOps : public ShellOps {
 public:
  bool fileExists(const std::string& path) override;
  ShellStatus createFolder(const std::string& path) override;
  ShellStatus writeFile(const std::string& path, ByteView bytes) override;
  ShellStatus setHidden(const std::string& path) override;
  std::string specialFolder(SpecialFolder kind) override;
  ShellStatus createShortcut(const std::string& linkPath, const std::string& target,
                             const std::string& description) override;
  std::string browseForFolder(const std::string& title,
                              const std::vector<NativeWindow>& installerWindows) override;
  bool askYesNo(NativeWindow owner, const std::string& question,
                const std::string& caption) override;
  ShellStatus runAndWait(const std::string& commandLine) override;
};

// The system's folder browser alone, rooted at the desktop with an edit box:
// the chosen folder's path, or empty on cancel. Both the shell operations and
// the window backend show it through here.
std::string showFolderBrowser(NativeWindow owner, const std::string& title);

}  // namespace platform
