// The conformance cases on the Win32 backend under Wine. The process really
// ends, so each case runs as a death test: the child prints its notes as its
// last words when the process ends (fatal ends included), and the parent
// matches them and the exit code.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <memory>

#include "platform/shellops_win32.h"
#include "ui/backend/win32/win32_backend.h"
#include "ui/conformance/harness.h"
#include "ui/win32/win32_test_support.h"

namespace conformance {
namespace {

// The real backend, with the two things a case needs to see or arrange.
class NotingSystem : public ui::Win32WindowSystem {
 public:
  explicit NotingSystem(const std::string& notes) : notes_(notes) {}
  ui::NativeWindow createWindow(const ui::WindowSpec& spec) override {
    if (failNext) {
      failNext = false;
      return nullptr;
    }
    return Win32WindowSystem::createWindow(spec);
  }
  [[noreturn]] void exitProcess(int code) override {
    std::fprintf(stderr, "notes: %s|end\n", notes_.c_str());
    std::fflush(stderr);
    Win32WindowSystem::exitProcess(code);
  }
  bool failNext = false;

 private:
  const std::string& notes_;
};

class Win32Harness : public Harness {
 public:
  Win32Harness() : system_(notes), app_(system_, shell_, records()) {
    app_.setHooks(hooks());
    app_.registerCleanup(noteCleanup);
  }
  ui::App& app() override { return app_; }
  ui::WindowSystem& system() override { return system_; }
  void post(const std::string& window, int key) override {
    PostMessageA(static_cast<HWND>(native(window)), WM_KEYDOWN, static_cast<WPARAM>(key), 0);
  }
  // A user in front of the screen, who presses the answer once the box is up.
  void answerNext(int answer) override { answerers_.push_back(std::make_unique<win32_test::Answerer>(answer)); }
  void failNextCreate() override { system_.failNext = true; }

 private:
  NotingSystem system_;
  platform::Win32ShellOps shell_;
  ui::App app_;
  std::vector<std::unique_ptr<win32_test::Answerer>> answerers_;
};


[[noreturn]] void runChild(Body body) {
  Win32Harness h;
  g_running = &h;
  body(h);
  h.app().run(kWelcome);
}

}  // namespace

void expectProgram(Body body, int exitCode, const std::string& notes) {
  EXPECT_EXIT(runChild(body), ::testing::ExitedWithCode(exitCode), win32_test::literal("notes: " + notes + "|end"));
}

}  // namespace conformance
