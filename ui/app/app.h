// The application: start-up, the registry of the four windows, opening and
// (deferred) destruction of windows, the main loop and the nested loops of
// modal windows, the abort question and the end of the program.
//
// Owns: the per-window state (native window, its view, destroy-pending mark,
// modal mark, disabled list), `currentModal`, the clean-up list and the event
// gate (suspended while a window is built, and for good once the end begins).
// Never: calls the window system's API directly — everything goes through
// `WindowSystem` — nor the shell's — through `ShellOps`.
// Escape hatch: `nativeOf(name)` gives a window's native handle to whoever
// must name an owner (the shell's dialogs).
//
// Everything here runs on the one GUI thread. Handlers nest: a handler that
// opens a modal window runs that window's loop inside itself, on the stack.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <memory>

#include "platform/shellops.h"
#include "ui/backend/window_system.h"
#include "ui/controls/events.h"
#include "ui/controls/records.h"
#include "ui/controls/window_view.h"

namespace ui {

class App;

// The settings every installer window shares: its caption, centred on the
// screen, a taskbar button unless opened modally, closed by Esc.
Settings installerWindowSettings();

// A window of the registry: the window's own record and its controls.
struct WindowRecord {
  std::string name;
  Rect rect{50, 50, 550, 360};  // left and top are not used when `position` is 1
  unsigned flags = 1;           // bit 0: shown once created
  Settings settings = installerWindowSettings();  // the window kind's settings
  std::vector<Binding> bindings;                  // the window's own shared events
  std::vector<ControlRecord> controls;            // in template order
  // The window's `created` event: runs before the window is shown.
  std::function<void(App&)> created;
};

extern const char* const WELCOME_WINDOW;  // "窗口_欢迎"

class App : private EventSink {
 public:
  App(WindowSystem& system, platform::ShellOps& shell, std::vector<WindowRecord> registry);
  ~App() override;

  // The whole life of the program from start-up to its end; does not return.
  [[noreturn]] void run(const std::string& startWindow);

  // Opens a window of the registry; for a modal one, returns only after the
  // window has been destroyed. False only when the window cannot be created.
  bool openWindow(const std::string& name, bool modal);
  // Requests the destruction of an open window; the next loop carries it out.
  void destroyWindow(const std::string& name);
  // Ends the program after its clean-up; never returns.
  [[noreturn]] void endProgram(int exitCode);
  // "您是否终止安装？" — Yes ends the program.
  void confirmAbort();
  // Appends a clean-up action unless it is in the list already.
  void registerCleanup(void (*action)());
  // The main message loop; returns when it has taken a quit request.
  void runMainLoop();

  // Properties of a control of an open window, by index (width, content,
  // period, …). Naming a window that is not open, or a control it lacks, is
  // the program's own mistake and fatal.
  PropertyValue readProperty(const std::string& window, const std::string& control, int index);
  void writeProperty(const std::string& window, const std::string& control, int index,
                     const PropertyValue& value);

  bool isOpen(const std::string& name) const;
  NativeWindow nativeOf(const std::string& name) const;  // null when not open
  const std::string* currentModal() const;                // null when none

  // Until the control layer takes them: the events the application itself
  // does not handle (timer ticks, input, paint) for the window of that name.
  // A hook that returns true from preTranslate consumes the input.
  struct Hooks {
    std::function<bool(const std::string& window, const Event&)> preTranslate;
    std::function<void(const std::string& window, const Event&)> handle;
  };
  void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

  WindowSystem& system() { return system_; }
  platform::ShellOps& shell() { return shell_; }

 private:
  struct OpenState {
    NativeWindow native = nullptr;
    std::unique_ptr<WindowView> view;  // its controls and back buffer
    bool destroyPending = false;
    bool modal = false;
    std::vector<std::pair<NativeWindow, bool>> disabled;  // (window, was enabled)
  };
  struct Entry {
    WindowRecord record;
    OpenState state;
  };

  Entry* entryOf(const std::string& name);
  const Entry* entryOf(const std::string& name) const;
  Entry* entryOf(NativeWindow native);
  bool eventsAllowed() const { return gate_.open(); }
  void runModalLoop();
  void restoreDisabled(Entry& entry);
  void carryOutDestruction(Entry& entry);  // the deferred one, now
  void closeWindow(Entry& entry);          // a close request: at once
  void afterDestruction(Entry& entry);
  [[noreturn]] void fatal(const std::string& text);
  int controlIndex(const std::string& window, const std::string& control);

  bool preTranslate(const Event& e) override;
  void handle(const Event& e) override;

  WindowSystem& system_;
  platform::ShellOps& shell_;
  std::vector<Entry> registry_;
  NativeWindow owner_ = nullptr;
  const Entry* currentModal_ = nullptr;
  bool mainLoopStarted_ = false;
  bool cleanedUp_ = false;
  EventGate gate_;  // suspended while a window is built, and for good once the end has begun
  std::vector<void (*)()> cleanup_;
  Hooks hooks_;
};

}  // namespace ui
