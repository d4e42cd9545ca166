// The conformance cases on the headless backend: the program unwinds at its
// end, and the notes are checked in this process.
#include <gtest/gtest.h>

#include "support/fake_shell.h"
#include "ui/app/dialog_shell.h"
#include "ui/backend/headless/headless.h"
#include "ui/conformance/harness.h"

namespace conformance {
namespace {

class HeadlessHarness : public Harness {
 public:
  HeadlessHarness() : shell_(system_, files_), app_(system_, shell_, records()) {
    app_.setHooks(hooks());
    app_.registerCleanup(noteCleanup);
  }
  ui::App& app() override { return app_; }
  ui::WindowSystem& system() override { return system_; }
  void post(const std::string& window, int key) override {
    system_.scriptKey(system_.now(), key, 0, native(window));
  }
  void answerNext(int answer) override { system_.scriptAnswer(answer, 50); }
  void failNextCreate() override { system_.failNextCreate(); }

 private:
  ui::HeadlessWindowSystem system_;
  testing_support::FakeShell files_;
  ui::DialogShell shell_;
  ui::App app_;
};

}  // namespace

void expectProgram(Body body, int exitCode, const std::string& notes) {
  HeadlessHarness h;
  g_running = &h;
  int code = 99;
  try {
    body(h);
    h.app().run(kWelcome);
  } catch (const ui::HeadlessExit& exit) {
    code = exit.code;
  }
  g_running = nullptr;
  EXPECT_EQ(code, exitCode);
  EXPECT_EQ(h.notes, notes);
}

}  // namespace conformance
