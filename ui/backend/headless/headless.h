// The headless backend: a deterministic discrete-event simulation of the
// window system, so windows, loops and timers are tested without a display.
//
// A virtual clock; one queue taken in the system's order (posted messages,
// then a waiting quit request, then input, then paint, then timer ticks);
// scripted input at virtual times; scripted answers for the question box and
// the folder browser, each of which runs its own nested loop until its answer
// is due, as the real ones do. When a loop would wait with nothing queued the
// clock jumps to the next timer or scripted event; when there is none the
// simulation fails loudly (HeadlessDeadlock) instead of hanging.
//
// Checklist against the Win32 backend:
//  [x] windows: create hidden, show/activate, enable, minimise/restore, owner
//      and taskbar-button bookkeeping, destroy (edit children with it)
//  [x] queue order, deferred-destruction message, quit request, timers with
//      coalesced missed periods, paint after invalidate
//  [x] message box and folder browser with nested loops; calls recorded
//  [x] edit child: text, change notices, focus, scripted typing
//  [x] present: the window's screen image kept for pixel checks
//  [x] exitProcess unwinds (HeadlessExit) past every handler
//  [ ] window drag follows scripted moves only while the button is down
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/backend/window_system.h"

namespace ui {

// Thrown by exitProcess: the process has ended with `code`.
struct HeadlessExit {
  int code;
};

// Thrown when a loop would wait for ever.
struct HeadlessDeadlock : std::logic_error {
  using std::logic_error::logic_error;
};

class HeadlessWindowSystem : public WindowSystem {
 public:
  HeadlessWindowSystem(int screenWidth = 1920, int screenHeight = 1080);

  // --- scripting -------------------------------------------------------------------
  std::uint64_t now() const { return clock_; }
  // Work that takes virtual time inside a handler (nothing is handled meanwhile).
  void spend(std::uint64_t ms) { clock_ += ms; }
  // Input at virtual time `at`: keys to the window that has the focus (or to
  // `target`, as a message posted to it would go), mouse at screen
  // coordinates to the window under the point.
  void scriptKey(std::uint64_t at, int keyCode, unsigned keys = 0, NativeWindow target = nullptr);
  void scriptMouse(std::uint64_t at, EventType type, int screenX, int screenY, unsigned keys = 0);
  // Characters typed into the focused edit child, one change notice each.
  void scriptTyping(std::uint64_t at, const std::string& text);
  // The next question box returns `answer` `afterMs` after it opened.
  void scriptAnswer(int answer, std::uint64_t afterMs = 0);
  // The next folder browser returns `path` (empty: cancel) after `afterMs`.
  void scriptBrowse(std::string path, std::uint64_t afterMs = 0);
  // A failure for the next createWindow.
  void failNextCreate() { failNextCreate_ = true; }

  struct DialogCall {
    std::string kind;  // "messageBox" or "browse"
    NativeWindow owner;
    std::string text, caption;
    unsigned style;
    std::uint64_t openedAt;
  };
  const std::vector<DialogCall>& dialogs() const { return dialogs_; }
  bool processStarted() const { return processStarted_; }
  NativeWindow dragging() const { return dragging_; }  // the window a drag moves
  bool processFinished() const { return processFinished_; }
  // Windows that still exist (the owner window included).
  std::size_t liveWindows() const;
  // The window's screen image as presented (BGRA, width*height).
  std::vector<std::uint32_t> screenImage(NativeWindow w) const;
  std::string caption(NativeWindow w) const;

  // --- WindowSystem ------------------------------------------------------------------
  void setSink(EventSink* sink) override { sink_ = sink; }
  bool startProcess() override;
  void finishProcess() override;
  [[noreturn]] void exitProcess(int code) override;
  int screenWidth() override { return screenWidth_; }
  int screenHeight() override { return screenHeight_; }
  NativeWindow createOwnerWindow() override;
  NativeWindow createWindow(const WindowSpec& spec) override;
  void destroyWindow(NativeWindow w) override;
  bool isWindow(NativeWindow w) override;
  void showWindow(NativeWindow w) override;
  bool isVisible(NativeWindow w) override;
  bool isMinimized(NativeWindow w) override;
  void minimize(NativeWindow w) override;
  void restore(NativeWindow w) override;
  void activate(NativeWindow w) override;
  NativeWindow activeWindow() override { return active_; }
  void enableWindow(NativeWindow w, bool enable) override;
  bool isWindowEnabled(NativeWindow w) override;
  Rect windowRect(NativeWindow w) override;
  bool hasTaskbarButton(NativeWindow w) override;
  void postDeferred(NativeWindow w) override;
  void postQuit(int code) override;
  bool quitWaiting() override;
  bool dispatchNext(int& quitCode) override;
  void setTimer(NativeWindow w, unsigned id, unsigned periodMs) override;
  void killTimer(NativeWindow w, unsigned id) override;
  void beginDrag(NativeWindow w) override;
  void captureMouse(NativeWindow w, bool capture) override;
  std::unique_ptr<Canvas> createCanvas(int width, int height) override;
  void invalidate(NativeWindow w, Rect area) override;
  void present(NativeWindow w, const PixelView& buffer, Rect area) override;
  NativeWindow createEdit(NativeWindow parent, const EditSpec& spec) override;
  std::string editText(NativeWindow edit) override;
  void setEditText(NativeWindow edit, const std::string& text) override;
  void moveEdit(NativeWindow edit, Rect rect) override;
  void setFocus(NativeWindow w) override;
  NativeWindow focus() override { return focus_; }
  int messageBox(NativeWindow owner, const std::string& text, const std::string& caption,
                 unsigned style) override;
  std::string browseForFolder(NativeWindow owner, const std::string& title) override;

 private:
  struct Timer {
    unsigned period;
    std::uint64_t due;
  };
  struct Window {
    WindowSpec spec;
    bool ownerWindow = false, visible = false, enabled = true, minimized = false;
    std::map<unsigned, Timer> timers;
    bool dirty = false;
    Rect dirtyRect;
    std::vector<std::uint32_t> screen;
    std::vector<NativeWindow> edits;
  };
  struct Edit {
    NativeWindow parent;
    EditSpec spec;
    std::string text;
  };
  struct Posted {
    NativeWindow window;
  };
  struct Input {
    std::uint64_t at = 0;
    Event event;       // window resolved when it falls due
    int screenX = 0, screenY = 0;
    bool mouse = false;
    std::string typing;
    NativeWindow target = nullptr;
  };

  Window* find(NativeWindow w);
  const Window* find(NativeWindow w) const;
  Edit* findEdit(NativeWindow e);
  NativeWindow newHandle() { return reinterpret_cast<NativeWindow>(static_cast<std::uintptr_t>(nextHandle_ += 4)); }
  NativeWindow windowAt(int screenX, int screenY);
  bool deliverInput(Input input);  // false when no window could take it
  void deliver(const Event& e);
  enum class Step { dispatched, quit, timeReached };
  // Takes and delivers one message, jumping the clock when nothing is ready;
  // `timeReached` once the clock has got to `until` with nothing to do.
  Step step(bool takeQuit, std::uint64_t until);
  void runDialogLoop(std::uint64_t until);
  void pickActive();

  EventSink* sink_ = nullptr;
  int screenWidth_, screenHeight_;
  std::uint64_t clock_ = 0;
  std::uintptr_t nextHandle_ = 0x1000;
  std::map<NativeWindow, Window> windows_;
  std::map<NativeWindow, Edit> edits_;
  std::vector<NativeWindow> zOrder_;  // front first
  std::deque<Posted> posted_;
  bool quitPosted_ = false;
  int quitCode_ = 0;
  std::vector<Input> input_;  // sorted by time, then order of scripting
  struct Answer {
    std::uint64_t afterMs;
    int answer;
    std::string path;
  };
  std::deque<Answer> answers_, browses_;
  std::vector<DialogCall> dialogs_;
  int dialogDepth_ = 0;
  NativeWindow active_ = nullptr, focus_ = nullptr;
  NativeWindow dragging_ = nullptr;
  NativeWindow captured_ = nullptr;      // the window holding the mouse
  NativeWindow underPointer_ = nullptr;  // for mouseLeave
  int dragX_ = 0, dragY_ = 0;
  bool failNextCreate_ = false, processStarted_ = false, processFinished_ = false;
};

}  // namespace ui
