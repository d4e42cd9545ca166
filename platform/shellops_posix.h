// The POSIX stand-in for the shell operations, for the Linux build: the
// installation core runs against a real file system with the same effects the
// Windows implementation has, so its tests need no Windows.
//
//  - A root folder stands for the drives: C:\ is <root>/c/, D:\ is <root>/d/.
//    A path without a drive resolves against `currentDirectory` (a Windows path).
//  - Names are GBK at the interface and UTF-8 on disk (iconv at the boundary).
//  - The hidden and system attributes live in the extended attribute
//    user.DOSATTRIB, as Wine keeps them ("0x2" for hidden).
//  - "Held open by another process" is an exclusive flock() on the file, which
//    is how the tests stand in for a running program.
//  - A shortcut is a small UTF-8 text file under the same ".lnk" naming rule:
//    "[shortcut]", then target=, description= and showcmd= lines.
//  - Special folders are configured Windows paths; an empty one is "not found".
//  - askYesNo, browseForFolder and runAndWait answer from a script.
//
// Checklist against the Windows implementation:
//  [x] fileExists, createFolder, writeFile (atomic, refusals), setHidden
//  [x] specialFolder, createShortcut (text form), the error codes of each
//  [x] askYesNo / browseForFolder / runAndWait: scripted, calls recorded
//  [ ] case-insensitive names, 8.3 names, ACLs: not modelled
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/shellops.h"

namespace platform {

class PosixShellOps : public ShellOps {
 public:
  struct Config {
    std::string root;                // Linux folder that holds the drive folders
    std::string currentDirectory;    // Windows path, for relative paths
    std::string desktop;             // Windows paths; empty = not found
    std::string programs;
  };

  explicit PosixShellOps(Config config);

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

  // The Linux path that a Windows path stands for; empty when it cannot be
  // mapped (a UNC path, a name that is not valid GBK).
  std::string hostPath(const std::string& windowsPath) const;

  // Scripts for the calls that would need a person. Unanswered questions are
  // answered No, an unanswered browser is cancelled; runAndWait without a
  // script checks that the named program exists, as CreateProcess would.
  std::deque<bool> yesNoAnswers;
  std::deque<std::string> browseAnswers;
  std::function<ShellStatus(const std::string& commandLine)> runScript;
  std::vector<std::string> calls;  // "askYesNo:<question>", "browse:<title>", "run:<cmd>"

 private:
  Config config_;
};

// Reads and writes the stand-in's hidden/system attribute bits on a Linux path.
unsigned readDosAttributes(const std::string& hostPath);
bool writeDosAttributes(const std::string& hostPath, unsigned attributes);

}  // namespace platform
