// The lifecycle conformance suite: one set of whole-program cases that runs
// on the headless backend natively and on the Win32 backend under Wine.
//
// A case builds its program on a Harness — handlers per window and key, and
// notes of what they see — and states the exit code and notes it must end
// with. Each backend's runner (headless_runner.cpp, win32_runner.cpp) runs the
// program to its real end: headless by unwinding, Win32 in a death test whose
// child prints its notes as the process ends.
//
// Keys are posted to the window named, one step at a time: a case posts the
// next key from the handler of the one before, so every step happens in a
// known loop on both backends (a key posted while the system's question box
// is up would be taken by the box's own loop on Windows).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/app/app.h"

namespace conformance {

const std::string kWelcome = "窗口_欢迎";
const std::string kAgreement = "窗口_协议";
const std::string kProgress = "窗口_进度";
const std::string kFinish = "窗口_完成";
constexpr int kEsc = 0x1B;

class Harness {
 public:
  virtual ~Harness() = default;
  virtual ui::App& app() = 0;
  virtual ui::WindowSystem& system() = 0;
  // Posts a key press to the window `window`.
  virtual void post(const std::string& window, int key) = 0;
  // The next question box will be answered with `answer` (kIdYes or kIdNo).
  virtual void answerNext(int answer) = 0;
  // The next native window cannot be created.
  virtual void failNextCreate() = 0;

  void note(const std::string& text) { notes += text + " "; }
  void onKey(const std::string& window, int key, std::function<void()> action) {
    keys_[{window, key}] = std::move(action);
  }
  void onCreated(const std::string& window, std::function<void()> action) {
    created_[window] = std::move(action);
  }
  void onTick(std::function<void(const std::string& window)> action) { tick_ = std::move(action); }
  ui::NativeWindow native(const std::string& name) { return app().nativeOf(name); }

  std::string notes;

 protected:
  // The four windows with the registry's sizes; each created event runs the
  // case's action for it.
  std::vector<ui::WindowRecord> records() {
    std::vector<ui::WindowRecord> out;
    for (const auto& [name, height] : {std::pair<std::string, int>{kWelcome, 360}, {kAgreement, 345},
                                      {kProgress, 360}, {kFinish, 360}}) {
      ui::WindowRecord r;
      r.name = name;
      r.rect = ui::Rect{50, 50, 550, height};
      const std::string n = name;
      r.created = [this, n](ui::App&) {
        auto it = created_.find(n);
        if (it != created_.end()) it->second();
      };
      out.push_back(std::move(r));
    }
    return out;
  }
  ui::App::Hooks hooks() {
    return ui::App::Hooks{
        [this](const std::string& window, const ui::Event& e) {
          if (e.type != ui::EventType::keyDown) return false;
          auto it = keys_.find({window, e.code});
          if (it == keys_.end()) return false;
          it->second();
          return true;
        },
        [this](const std::string& window, const ui::Event& e) {
          if (e.type == ui::EventType::timer && tick_) tick_(window);
        }};
  }

 private:
  std::map<std::pair<std::string, int>, std::function<void()>> keys_;
  std::map<std::string, std::function<void()>> created_;
  std::function<void(const std::string&)> tick_;
};

// The program being run, for the clean-up action below (registerCleanup
// takes a plain routine).
inline Harness* g_running = nullptr;
// Registered by the runners: its note shows the clean-up ran, and how often.
inline void noteCleanup() {
  if (g_running) g_running->note("cleanup");
}

using Body = void (*)(Harness&);

// Runs `body`'s program from start-up (the welcome window) to its end and
// checks the exit code and the notes; defined by each backend's runner.
void expectProgram(Body body, int exitCode, const std::string& notes);

}  // namespace conformance

// CONFORMANCE(Suite, Name, exitCode, "notes") { ...case body using `h`... }
#define CONFORMANCE(suite, name, exitCode, notes)                       \
  static void suite##_##name##_body(::conformance::Harness& h);         \
  TEST(suite, name) { ::conformance::expectProgram(suite##_##name##_body, exitCode, notes); } \
  static void suite##_##name##_body(::conformance::Harness& h)
