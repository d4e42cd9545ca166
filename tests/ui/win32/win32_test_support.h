// Helpers of the Win32 backend's tests: a sink that records what reaches it,
// a drain for the test thread's queue, and a helper thread that answers the
// system's question box as a user would.
#pragma once

#include <windows.h>

#include <atomic>
#include <cctype>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ui/backend/window_system.h"

namespace win32_test {

inline const char* typeName(ui::EventType t) {
  switch (t) {
    case ui::EventType::leftDown: return "leftDown";
    case ui::EventType::leftUp: return "leftUp";
    case ui::EventType::leftDoubleClick: return "leftDoubleClick";
    case ui::EventType::rightDown: return "rightDown";
    case ui::EventType::rightUp: return "rightUp";
    case ui::EventType::mouseMove: return "mouseMove";
    case ui::EventType::wheel: return "wheel";
    case ui::EventType::mouseLeave: return "mouseLeave";
    case ui::EventType::keyDown: return "keyDown";
    case ui::EventType::keyUp: return "keyUp";
    case ui::EventType::character: return "character";
    case ui::EventType::paint: return "paint";
    case ui::EventType::timer: return "timer";
    case ui::EventType::deferred: return "deferred";
    case ui::EventType::closeRequest: return "closeRequest";
    case ui::EventType::editChanged: return "editChanged";
    case ui::EventType::focusGained: return "focusGained";
    case ui::EventType::focusLost: return "focusLost";
    case ui::EventType::destroyed: return "destroyed";
  }
  return "?";
}

// Records every event; preTranslate entries carry a "pre:" prefix.
struct RecordingSink : ui::EventSink {
  std::vector<ui::Event> events;
  std::vector<std::string> log;
  std::function<bool(const ui::Event&)> consume;  // for preTranslate

  bool preTranslate(const ui::Event& e) override {
    events.push_back(e);
    log.push_back(std::string("pre:") + typeName(e.type));
    return consume && consume(e);
  }
  void handle(const ui::Event& e) override {
    events.push_back(e);
    log.push_back(typeName(e.type));
  }
  std::size_t count(const std::string& entry) const {
    std::size_t n = 0;
    for (const std::string& s : log) n += s == entry;
    return n;
  }
  long indexOf(const std::string& entry) const {
    for (std::size_t i = 0; i < log.size(); ++i) {
      if (log[i] == entry) return static_cast<long>(i);
    }
    return -1;
  }
};

// `text` as a pattern of gtest's own regular expressions on Windows, which
// match it literally only with every punctuation escaped.
inline std::string literal(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (std::ispunct(static_cast<unsigned char>(c))) out += '\\';
    out += c;
  }
  return out;
}

// Takes and dispatches whatever the test thread's queue holds, so one test's
// leftovers (a quit request above all) cannot reach the next.
inline void drainQueue() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// The system's question box of this process, when one is shown.
inline HWND findQuestionBox() {
  struct Search {
    DWORD pid;
    HWND found;
  } search{GetCurrentProcessId(), nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        char cls[16] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (pid == s->pid && IsWindowVisible(w) && std::string(cls) == "#32770") {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A user in front of the screen: waits (up to 10 s) until `ready` holds and a
// question box is up, notes the box's caption, then presses `answer`
// (IDYES or IDNO) by the box's own command.
class Answerer {
 public:
  Answerer(int answer, std::function<bool()> ready = nullptr)
      : thread_([this, answer, ready] {
          for (int i = 0; i < 1000; ++i) {
            HWND box = findQuestionBox();
            if (box && (!ready || ready())) {
              char text[128] = {};
              GetWindowTextA(box, text, sizeof text);
              caption_ = text;
              PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
              answered_ = true;
              return;
            }
            Sleep(10);
          }
        }) {}
  ~Answerer() {
    if (thread_.joinable()) thread_.join();
  }
  void join() { thread_.join(); }
  bool answered() const { return answered_; }
  const std::string& caption() const { return caption_; }

 private:
  std::atomic<bool> answered_{false};
  std::string caption_;
  std::thread thread_;
};

}  // namespace win32_test
