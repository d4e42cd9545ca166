// Shell operations whose dialogs are the window system's own: the question
// box and the folder browser of a backend (the headless one answers them from
// its script, inside a nested loop), everything else from the shell beneath.
#pragma once

#include "platform/shellops.h"
#include "ui/backend/window_system.h"

namespace ui {

class DialogShell : public platform::ShellOps {
 public:
  DialogShell(WindowSystem& system, platform::ShellOps& base) : system_(system), base_(base) {}

  bool fileExists(const std::string& path) override { return base_.fileExists(path); }
  platform::ShellStatus createFolder(const std::string& path) override { return base_.createFolder(path); }
  platform::ShellStatus writeFile(const std::string& path, platform::ByteView bytes) override {
    return base_.writeFile(path, bytes);
  }
  platform::ShellStatus setHidden(const std::string& path) override { return base_.setHidden(path); }
  std::string specialFolder(platform::SpecialFolder kind) override { return base_.specialFolder(kind); }
  platform::ShellStatus createShortcut(const std::string& link, const std::string& target,
                                       const std::string& description) override {
    return base_.createShortcut(link, target, description);
  }
  platform::ShellStatus runAndWait(const std::string& commandLine) override {
    return base_.runAndWait(commandLine);
  }

  bool askYesNo(platform::NativeWindow owner, const std::string& question,
                const std::string& caption) override {
    if (!system_.isWindow(owner)) owner = nullptr;
    return system_.messageBox(owner, question, caption, kMbYesNo | kMbIconQuestion | kMbTaskModal) == kIdYes;
  }

  std::string browseForFolder(const std::string& title,
                              const std::vector<platform::NativeWindow>& installerWindows) override {
    NativeWindow owner = system_.activeWindow();
    std::vector<std::pair<NativeWindow, bool>> earlier;
    for (NativeWindow w : installerWindows) {
      earlier.emplace_back(w, system_.isWindowEnabled(w));
      system_.enableWindow(w, false);
    }
    std::string path = system_.browseForFolder(owner, title);
    for (const auto& [w, enabled] : earlier) {
      if (system_.isWindow(w)) system_.enableWindow(w, enabled);
    }
    if (system_.isWindow(owner)) system_.activate(owner);
    return path;
  }

 private:
  WindowSystem& system_;
  platform::ShellOps& base_;
};

}  // namespace ui
