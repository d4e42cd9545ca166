// A whole program on the headless backend, for the lifecycle tests: the
// backend, a shell whose dialogs go through it, the app over stand-in window
// records, handlers per window and key, and a log of what they saw.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/install.h"
#include "support/fake_shell.h"
#include "ui/app/app.h"
#include "ui/app/dialog_shell.h"
#include "ui/backend/headless/headless.h"

namespace testing_support {

using ui::App;
using ui::EventType;
using ui::HeadlessExit;
using ui::HeadlessWindowSystem;
using ui::WindowRecord;

constexpr int kEsc = 0x1B;
const std::string kWelcome = "窗口_欢迎";
const std::string kAgreement = "窗口_协议";
const std::string kProgress = "窗口_进度";
const std::string kFinish = "窗口_完成";

inline int g_cleanups = 0;
inline void countCleanup() { ++g_cleanups; }


// One program run: a backend, a shell whose dialogs go through it, the app,
// handlers per window and key, and a log of what they saw.
struct Program {
  explicit Program(std::vector<std::pair<std::string, ui::Rect>> windows, int screenWidth = 1920)
      : system(screenWidth, 1080), shell(system, files), app(system, shell, records(windows)) {
    g_cleanups = 0;
    core::releaseInstallDir();
    app.setHooks(App::Hooks{
        [this](const std::string& window, const ui::Event& e) {
          if (e.type != EventType::keyDown) return false;
          auto it = keys.find({window, e.code});
          if (it == keys.end()) return false;
          log.push_back("key:" + window + ":" + static_cast<char>(e.code));
          it->second();
          return true;
        },
        [this](const std::string& window, const ui::Event& e) {
          if (e.type != EventType::timer) return;
          log.push_back("tick:" + window + "@" + std::to_string(system.now()));
          if (onTick) onTick(window);
        }});
  }

  std::vector<WindowRecord> records(const std::vector<std::pair<std::string, ui::Rect>>& windows) {
    std::vector<WindowRecord> out;
    for (const auto& [name, rect] : windows) {
      WindowRecord r;
      r.name = name;
      r.rect = rect;
      const std::string n = name;
      r.created = [this, n](App&) {
        log.push_back("created:" + n);
        auto it = created.find(n);
        if (it != created.end()) it->second();
      };
      out.push_back(std::move(r));
    }
    return out;
  }

  // Runs the program from start-up to its end; the exit code.
  int run(const std::string& start = kWelcome) {
    try {
      app.run(start);
    } catch (const HeadlessExit& exit) {
      return exit.code;
    }
    ADD_FAILURE() << "run() returned";
    return 99;
  }
  void onKey(const std::string& window, char key, std::function<void()> action) {
    keys[{window, key}] = std::move(action);
  }
  ui::NativeWindow native(const std::string& name) { return app.nativeOf(name); }
  bool enabled(const std::string& name) { return system.isWindowEnabled(native(name)); }

  HeadlessWindowSystem system;
  testing_support::FakeShell files;
  ui::DialogShell shell;
  App app;
  std::map<std::string, std::function<void()>> created;
  std::map<std::pair<std::string, int>, std::function<void()>> keys;
  std::function<void(const std::string&)> onTick;
  std::vector<std::string> log;
};

}  // namespace testing_support
