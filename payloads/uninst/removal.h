// What the uninstaller removes: exactly what an installation made, by the
// fixed names the installer writes, and nothing else. Nothing is removed
// recursively and a folder is removed only when it is empty (RemoveDirectoryA
// refuses anything else): the product folder may be one the user also keeps
// other files in.
#pragma once

#include <string>
#include <vector>

namespace uninst {

struct Outcome {
  std::vector<std::string> failed;       // paths that could not be removed
  std::vector<std::string> keptFolders;  // folders left because they hold other things
  // Something failed: uninst.exe and its shortcut stay, so that the user can
  // run it again once the files are no longer in use.
  bool keepUninstaller = false;
  bool complete = false;  // the cleanup ran to its end (false: it died or never started)
};

// Everything but uninst.exe, its own folder and, when something failed, its
// shortcut. The caller must have initialised COM (the shortcuts are read
// through the shell link object).
Outcome removeInstallation(const std::string& folder);

// uninst.exe and then the product folder, once the uninstaller that the user
// started has ended. Failures are added to `outcome`.
void removeUninstaller(const std::string& folder, Outcome& outcome);

// The outcome in a few lines of text and back, for the report that the
// cleanup copy sends to the uninstaller the user started.
std::string encodeOutcome(const Outcome& outcome);
Outcome decodeOutcome(const std::string& text);

}  // namespace uninst
