#include "ui/app/app.h"

#include <cstdlib>

#include "core/install.h"

namespace ui {
const char* const WELCOME_WINDOW = "窗口_欢迎";

Settings installerWindowSettings() {
  Settings s;
  s.caption = "Velmaro";
  s.position = 1;
  s.showintaskbar = true;
  s.escapecloses = true;
  return s;
}

App::App(WindowSystem& system, platform::ShellOps& shell, std::vector<WindowRecord> registry)
    : system_(system), shell_(shell) {
  for (WindowRecord& r : registry) registry_.push_back(Entry{std::move(r), OpenState{}});
  system_.setSink(this);
}

App::~App() { system_.setSink(nullptr); }

// --- start-up and end ------------------------------------------------------------

void App::run(const std::string& startWindow) {
  // OLE for the shell's link object, and the current directory set to the
  // installer's own folder: relative paths resolve against it from here on.
  if (!system_.startProcess()) fatal("无法初始化系统组件 (OLE)。");
  owner_ = system_.createOwnerWindow();
  registerCleanup(core::releaseInstallDir);
  if (!openWindow(startWindow, false)) fatal("无法创建安装程序窗口。");
  runMainLoop();
  endProgram(0);
}

void App::endProgram(int exitCode) {
  gate_.suspend();  // for good: from here on no event reaches a handler
  for (Entry& e : registry_) {
    if (e.state.native) {
      NativeWindow native = e.state.native;
      e.state = OpenState{};
      if (currentModal_ == &e) currentModal_ = nullptr;
      system_.destroyWindow(native);
    }
  }
  if (!cleanedUp_) {
    cleanedUp_ = true;
    for (void (*action)() : cleanup_) action();
  }
  if (owner_) system_.destroyWindow(owner_);
  owner_ = nullptr;
  system_.finishProcess();
  system_.exitProcess(exitCode);
  std::abort();  // exitProcess does not come back
}

void App::fatal(const std::string& text) {
  // The clean-up list is discarded, not run: the program is in no state to trust it.
  gate_.suspend();  // no handler runs under the fatal box
  cleanup_.clear();
  system_.messageBox(nullptr, text, "Velmaro", kMbOk | kMbIconStop);
  system_.exitProcess(-1);
  std::abort();  // exitProcess does not come back
}

void App::registerCleanup(void (*action)()) {
  for (void (*a)() : cleanup_) {
    if (a == action) return;
  }
  cleanup_.push_back(action);
}

void App::confirmAbort() {
  // Named after the welcome window; once it is gone the question has no owner.
  if (shell_.askYesNo(nativeOf(WELCOME_WINDOW), "您是否终止安装？", "Velmaro")) endProgram(0);
}

// --- the registry -------------------------------------------------------------------

App::Entry* App::entryOf(const std::string& name) {
  for (Entry& e : registry_) {
    if (e.record.name == name) return &e;
  }
  return nullptr;
}

const App::Entry* App::entryOf(const std::string& name) const {
  for (const Entry& e : registry_) {
    if (e.record.name == name) return &e;
  }
  return nullptr;
}

App::Entry* App::entryOf(NativeWindow native) {
  if (!native) return nullptr;
  for (Entry& e : registry_) {
    if (e.state.native == native) return &e;
  }
  return nullptr;
}

bool App::isOpen(const std::string& name) const {
  const Entry* e = entryOf(name);
  return e && e->state.native;
}

NativeWindow App::nativeOf(const std::string& name) const {
  const Entry* e = entryOf(name);
  return e ? e->state.native : nullptr;
}

const std::string* App::currentModal() const { return currentModal_ ? &currentModal_->record.name : nullptr; }

// --- opening ---------------------------------------------------------------------------

bool App::openWindow(const std::string& name, bool modal) {
  Entry* entry = entryOf(name);
  if (!entry) fatal("没有名为 " + name + " 的窗口。");
  if (entry->state.native) {
    if (entry->state.destroyPending) {
      carryOutDestruction(*entry);
    } else {
      // Open already: only brought forward; no second created, no second loop.
      if (system_.isMinimized(entry->state.native)) {
        system_.restore(entry->state.native);
      } else {
        system_.activate(entry->state.native);
      }
      return true;
    }
  }

  const WindowRecord& rec = entry->record;
  gate_.suspend();
  WindowSpec spec;
  spec.rect = rec.rect;
  if (rec.settings.position == 1) {
    // Signed division truncating toward zero: a window wider than the screen
    // gets a negative left edge.
    spec.rect.left = (system_.screenWidth() - rec.rect.width) / 2;
    spec.rect.top = (system_.screenHeight() - rec.rect.height) / 2;
  }
  spec.caption = rec.settings.caption;
  spec.owner = (modal || !rec.settings.showintaskbar) ? owner_ : nullptr;
  NativeWindow native = system_.createWindow(spec);
  if (!native) {
    gate_.resume();
    return false;
  }
  entry->state = OpenState{};
  entry->state.native = native;
  entry->state.view = std::make_unique<WindowView>(
      system_, native, rec.settings, rec.bindings, rec.controls, rec.rect.width, rec.rect.height, gate_,
      [this, native] { return entryOf(native) != nullptr; });
  // Screenshots are named by the window's place in the registry: window-0.png is the first.
  entry->state.view->setScreenshotName("window-" + std::to_string(entry - registry_.data()));
  entry->state.view->setCloseAction([this, native] {
    if (Entry* open = entryOf(native)) closeWindow(*open);
  });
  gate_.resume();

  if (rec.created && eventsAllowed()) rec.created(*this);
  if (entry->state.native != native) return true;  // the created handler destroyed it

  const bool shown = (rec.flags & 1) != 0;
  if (shown) system_.showWindow(native);
  if (modal) {
    entry->state.modal = true;
    for (Entry& other : registry_) {
      if (&other == entry || !other.state.native) continue;
      entry->state.disabled.emplace_back(other.state.native, system_.isWindowEnabled(other.state.native));
      system_.enableWindow(other.state.native, false);
    }
  }
  if (modal && shown) {
    const Entry* outer = currentModal_;
    currentModal_ = entry;
    runModalLoop();
    // Put back even when that window is gone meanwhile: its loop then runs on
    // until a quit request or until currentModal is cleared again.
    currentModal_ = outer;
  }
  return true;
}

// --- properties -------------------------------------------------------------------------

int App::controlIndex(const std::string& window, const std::string& control) {
  const Entry* e = entryOf(window);
  if (!e || !e->state.view) fatal("窗口 " + window + " 未打开。");
  const int i = e->state.view->tree().indexOfName(control);
  if (i == kNoControl) fatal("窗口 " + window + " 中没有控件 " + control + "。");
  return i;
}

PropertyValue App::readProperty(const std::string& window, const std::string& control, int index) {
  const int i = controlIndex(window, control);
  return entryOf(window)->state.view->readProperty(i, index);
}

void App::writeProperty(const std::string& window, const std::string& control, int index,
                        const PropertyValue& value) {
  const int i = controlIndex(window, control);
  entryOf(window)->state.view->writeProperty(i, index, value);
}

// --- loops ------------------------------------------------------------------------------

void App::runMainLoop() {
  mainLoopStarted_ = true;
  bool anyOpen = false;
  for (const Entry& e : registry_) anyOpen = anyOpen || e.state.native;
  if (!anyOpen) return;
  int code = 0;
  while (system_.dispatchNext(code)) {
  }
}

void App::runModalLoop() {
  for (;;) {
    // A quit request is left queued for the loop outside.
    if (system_.quitWaiting()) return;
    int code = 0;
    if (!system_.dispatchNext(code)) {
      system_.postQuit(code);
      return;
    }
    if (!currentModal_) return;
  }
}

// --- destruction ---------------------------------------------------------------------------

void App::destroyWindow(const std::string& name) {
  Entry* entry = entryOf(name);
  if (!entry || !entry->state.native) fatal("窗口 " + name + " 未打开，无法关闭。");
  entry->state.destroyPending = true;
  system_.postDeferred(entry->state.native);
}

void App::restoreDisabled(Entry& entry) {
  if (!entry.state.modal) return;
  for (const auto& [native, wasEnabled] : entry.state.disabled) {
    if (system_.isWindow(native)) system_.enableWindow(native, wasEnabled);
  }
}

void App::carryOutDestruction(Entry& entry) {
  entry.state.destroyPending = false;
  closeWindow(entry);
}

void App::closeWindow(Entry& entry) {
  // No close-query handler is bound in this program: a close always goes ahead.
  restoreDisabled(entry);
  NativeWindow native = entry.state.native;
  entry.state = OpenState{};
  system_.destroyWindow(native);
  afterDestruction(entry);
}

void App::afterDestruction(Entry& entry) {
  if (currentModal_ == &entry) currentModal_ = nullptr;
  bool anyOpen = false;
  for (const Entry& e : registry_) anyOpen = anyOpen || e.state.native;
  if (!anyOpen && mainLoopStarted_) system_.postQuit(0);
}

// --- events from the window system ------------------------------------------------------------

bool App::preTranslate(const Event& e) {
  Entry* entry = entryOf(e.window);
  if (!entry) return false;
  if (entry->state.view && eventsAllowed() && entry->state.view->preTranslate(e)) return true;
  if (!entryOf(e.window)) return true;  // a handler destroyed the window: the message is dropped
  if (hooks_.preTranslate && eventsAllowed()) return hooks_.preTranslate(entry->record.name, e);
  return false;
}

void App::handle(const Event& e) {
  Entry* entry = entryOf(e.window);
  if (!entry) return;
  switch (e.type) {
    case EventType::deferred:
      if (entry->state.destroyPending) carryOutDestruction(*entry);
      return;
    case EventType::closeRequest:
      closeWindow(*entry);
      return;
    case EventType::paint:
      if (entry->state.view) entry->state.view->paint(e.rect);
      return;
    case EventType::destroyed:
      // Destroyed by the system itself (not through us): forget it.
      if (entry->state.native == e.window) {
        entry->state = OpenState{};
        afterDestruction(*entry);
      }
      return;
    default:
      if (entry->state.view && eventsAllowed() && entry->state.view->handle(e)) return;
      if (hooks_.handle && eventsAllowed()) hooks_.handle(entry->record.name, e);
  }
}

}  // namespace ui
