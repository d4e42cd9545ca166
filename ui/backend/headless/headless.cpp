#include "ui/backend/headless/headless.h"

#include <algorithm>
#include <limits>

#include "platform/gbk.h"
#include "ui/backend/canvas.h"

namespace ui {
namespace {
constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

bool contains(const Rect& r, int x, int y) {
  return x >= r.left && y >= r.top && x < r.left + r.width && y < r.top + r.height;
}

}  // namespace

HeadlessWindowSystem::HeadlessWindowSystem(int screenWidth, int screenHeight)
    : screenWidth_(screenWidth), screenHeight_(screenHeight) {}

// --- scripting ---------------------------------------------------------------------

void HeadlessWindowSystem::scriptKey(std::uint64_t at, int keyCode, unsigned keys, NativeWindow target) {
  Input in;
  in.target = target;
  in.at = at;
  in.event = Event(EventType::keyDown);
  in.event.code = keyCode;
  in.event.keys = keys;
  input_.push_back(in);
  std::stable_sort(input_.begin(), input_.end(), [](const Input& a, const Input& b) { return a.at < b.at; });
}

void HeadlessWindowSystem::scriptMouse(std::uint64_t at, EventType type, int screenX, int screenY,
                                       unsigned keys) {
  Input in;
  in.at = at;
  in.event = Event(type);
  in.event.keys = keys;
  in.mouse = true;
  in.screenX = screenX;
  in.screenY = screenY;
  input_.push_back(in);
  std::stable_sort(input_.begin(), input_.end(), [](const Input& a, const Input& b) { return a.at < b.at; });
}

void HeadlessWindowSystem::scriptTyping(std::uint64_t at, const std::string& text) {
  Input in;
  in.at = at;
  in.event = Event(EventType::character);
  in.typing = text;
  input_.push_back(in);
  std::stable_sort(input_.begin(), input_.end(), [](const Input& a, const Input& b) { return a.at < b.at; });
}

void HeadlessWindowSystem::scriptAnswer(int answer, std::uint64_t afterMs) {
  answers_.push_back(Answer{afterMs, answer, ""});
}

void HeadlessWindowSystem::scriptBrowse(std::string path, std::uint64_t afterMs) {
  browses_.push_back(Answer{afterMs, 0, std::move(path)});
}

std::size_t HeadlessWindowSystem::liveWindows() const { return windows_.size(); }

std::vector<std::uint32_t> HeadlessWindowSystem::screenImage(NativeWindow w) const {
  const Window* win = find(w);
  return win ? win->screen : std::vector<std::uint32_t>();
}

std::string HeadlessWindowSystem::caption(NativeWindow w) const {
  const Window* win = find(w);
  return win ? win->spec.caption : "";
}

// --- the process ---------------------------------------------------------------------

bool HeadlessWindowSystem::startProcess() {
  processStarted_ = true;
  return true;
}

void HeadlessWindowSystem::finishProcess() { processFinished_ = true; }

void HeadlessWindowSystem::exitProcess(int code) { throw HeadlessExit{code}; }

// --- windows -------------------------------------------------------------------------

HeadlessWindowSystem::Window* HeadlessWindowSystem::find(NativeWindow w) {
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : &it->second;
}

const HeadlessWindowSystem::Window* HeadlessWindowSystem::find(NativeWindow w) const {
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : &it->second;
}

HeadlessWindowSystem::Edit* HeadlessWindowSystem::findEdit(NativeWindow e) {
  auto it = edits_.find(e);
  return it == edits_.end() ? nullptr : &it->second;
}

NativeWindow HeadlessWindowSystem::createOwnerWindow() {
  NativeWindow w = newHandle();
  Window win;
  win.ownerWindow = true;
  windows_[w] = win;
  return w;
}

NativeWindow HeadlessWindowSystem::createWindow(const WindowSpec& spec) {
  if (failNextCreate_) {
    failNextCreate_ = false;
    return nullptr;
  }
  NativeWindow w = newHandle();
  Window win;
  win.spec = spec;
  win.screen.assign(static_cast<std::size_t>(std::max(0, spec.rect.width)) *
                        static_cast<std::size_t>(std::max(0, spec.rect.height)), 0);
  windows_[w] = win;
  zOrder_.push_back(w);  // a new hidden window goes behind the visible ones
  return w;
}

void HeadlessWindowSystem::destroyWindow(NativeWindow w) {
  if (Edit* edit = findEdit(w)) {
    Window* parent = find(edit->parent);
    if (parent) parent->edits.erase(std::remove(parent->edits.begin(), parent->edits.end(), w), parent->edits.end());
    if (focus_ == w) focus_ = edit->parent;
    edits_.erase(w);
    return;
  }
  if (!find(w)) return;
  // Owned windows go first, as the system destroys them with their owner.
  std::vector<NativeWindow> owned;
  for (const auto& [handle, win] : windows_) {
    if (win.spec.owner == w) owned.push_back(handle);
  }
  for (NativeWindow o : owned) destroyWindow(o);
  Window* win = find(w);
  if (!win) return;
  bool focusInside = focus_ == w;
  for (NativeWindow e : win->edits) {
    focusInside = focusInside || focus_ == e;
    edits_.erase(e);
  }
  win->edits.clear();
  win->timers.clear();
  zOrder_.erase(std::remove(zOrder_.begin(), zOrder_.end(), w), zOrder_.end());
  if (captured_ == w) captured_ = nullptr;
  if (underPointer_ == w) underPointer_ = nullptr;
  Event e{EventType::destroyed};
  e.window = w;
  deliver(e);
  windows_.erase(w);
  if (focusInside) focus_ = nullptr;
  if (active_ == w) {
    active_ = nullptr;
    pickActive();
  }
}

void HeadlessWindowSystem::pickActive() {
  for (NativeWindow w : zOrder_) {
    const Window* win = find(w);
    if (win && win->visible && win->enabled && !win->minimized) {
      activate(w);
      return;
    }
  }
}

bool HeadlessWindowSystem::isWindow(NativeWindow w) { return find(w) != nullptr || findEdit(w) != nullptr; }

void HeadlessWindowSystem::showWindow(NativeWindow w) {
  Window* win = find(w);
  if (!win) return;
  win->visible = true;
  invalidate(w, Rect{0, 0, win->spec.rect.width, win->spec.rect.height});
  activate(w);
}

bool HeadlessWindowSystem::isVisible(NativeWindow w) {
  const Window* win = find(w);
  return win && win->visible;
}

bool HeadlessWindowSystem::isMinimized(NativeWindow w) {
  const Window* win = find(w);
  return win && win->minimized;
}

void HeadlessWindowSystem::minimize(NativeWindow w) {
  if (Window* win = find(w)) {
    win->minimized = true;
    if (active_ == w) {
      active_ = nullptr;
      pickActive();
    }
  }
}

void HeadlessWindowSystem::restore(NativeWindow w) {
  if (Window* win = find(w)) {
    win->minimized = false;
    activate(w);
  }
}

void HeadlessWindowSystem::activate(NativeWindow w) {
  Window* win = find(w);
  if (!win || win->ownerWindow) return;
  active_ = w;
  zOrder_.erase(std::remove(zOrder_.begin(), zOrder_.end(), w), zOrder_.end());
  zOrder_.insert(zOrder_.begin(), w);
  // The activated window takes the focus unless one of its edits has it.
  const Edit* edit = findEdit(focus_);
  if (focus_ != w && !(edit && edit->parent == w)) setFocus(w);
}

void HeadlessWindowSystem::enableWindow(NativeWindow w, bool enable) {
  if (Window* win = find(w)) win->enabled = enable;
}

bool HeadlessWindowSystem::isWindowEnabled(NativeWindow w) {
  const Window* win = find(w);
  return win && win->enabled;
}

Rect HeadlessWindowSystem::windowRect(NativeWindow w) {
  const Window* win = find(w);
  return win ? win->spec.rect : Rect{};
}

bool HeadlessWindowSystem::hasTaskbarButton(NativeWindow w) {
  const Window* win = find(w);
  return win && win->visible && !win->ownerWindow && win->spec.owner == nullptr;
}

// --- the queue -----------------------------------------------------------------------

void HeadlessWindowSystem::postDeferred(NativeWindow w) { posted_.push_back(Posted{w}); }

void HeadlessWindowSystem::postQuit(int code) {
  quitPosted_ = true;
  quitCode_ = code;
}

bool HeadlessWindowSystem::quitWaiting() {
  // A quit request is seen once the posted messages ahead of it are taken.
  return quitPosted_ && posted_.empty();
}

bool HeadlessWindowSystem::dispatchNext(int& quitCode) {
  for (;;) {
    switch (step(true, kNever)) {
      case Step::dispatched: return true;
      case Step::quit:
        quitCode = quitCode_;
        return false;
      case Step::timeReached: break;  // cannot happen without a deadline
    }
  }
}

HeadlessWindowSystem::Step HeadlessWindowSystem::step(bool takeQuit, std::uint64_t until) {
  for (;;) {
    // 1. Posted messages.
    while (!posted_.empty()) {
      const Posted p = posted_.front();
      posted_.pop_front();
      if (!find(p.window)) continue;  // a message to a window that is gone is lost
      Event e{EventType::deferred};
      e.window = p.window;
      deliver(e);
      return Step::dispatched;
    }
    // 2. A waiting quit request.
    if (quitPosted_ && takeQuit) {
      quitPosted_ = false;
      return Step::quit;
    }
    // 3. Input that has fallen due. A task-modal dialog has disabled the
    // windows that were open when it came up, so their input is lost; a
    // window opened under it takes input as usual.
    if (!input_.empty() && input_.front().at <= clock_) {
      Input in = input_.front();
      input_.erase(input_.begin());
      if (deliverInput(in)) return Step::dispatched;
      continue;  // input for no window (or a disabled one) is never seen by a loop
    }
    // 4. Paint.
    for (NativeWindow w : zOrder_) {
      Window* win = find(w);
      if (win && win->visible && win->dirty) {
        win->dirty = false;
        Event e{EventType::paint};
        e.window = w;
        e.rect = win->dirtyRect;
        win->dirtyRect = Rect{};
        deliver(e);
        return Step::dispatched;
      }
    }
    // 5. Timer ticks: the earliest due; missed periods coalesce into this one.
    NativeWindow timerWindow = nullptr;
    unsigned timerId = 0;
    std::uint64_t nextTimer = kNever;
    for (auto& [handle, win] : windows_) {
      for (auto& [id, t] : win.timers) {
        if (t.due < nextTimer) {
          nextTimer = t.due;
          timerWindow = handle;
          timerId = id;
        }
      }
    }
    if (nextTimer <= clock_) {
      Timer& t = windows_[timerWindow].timers[timerId];
      while (t.due <= clock_) t.due += t.period;
      Event e{EventType::timer};
      e.window = timerWindow;
      e.code = static_cast<int>(timerId);
      deliver(e);
      return Step::dispatched;
    }
    // Nothing ready: the clock jumps to what comes next.
    std::uint64_t next = std::min(nextTimer, until);
    if (!input_.empty()) next = std::min(next, input_.front().at);
    if (next == kNever) {
      throw HeadlessDeadlock("a message loop waits with no message, timer or scripted input to come");
    }
    if (next >= until) {
      clock_ = std::max(clock_, until);
      return Step::timeReached;
    }
    clock_ = std::max(clock_, next);
  }
}

void HeadlessWindowSystem::deliver(const Event& e) {
  if (sink_) sink_->handle(e);
}

NativeWindow HeadlessWindowSystem::windowAt(int screenX, int screenY) {
  for (NativeWindow w : zOrder_) {
    const Window* win = find(w);
    if (win && win->visible && !win->minimized && contains(win->spec.rect, screenX, screenY)) return w;
  }
  return nullptr;
}

bool HeadlessWindowSystem::deliverInput(Input in) {
  Event e = in.event;
  if (in.mouse) {
    if (dragging_) {
      // The system's move loop takes the mouse until the button comes up.
      if (e.type == EventType::mouseMove) {
        if (Window* win = find(dragging_)) {
          win->spec.rect.left += in.screenX - dragX_;
          win->spec.rect.top += in.screenY - dragY_;
        }
        dragX_ = in.screenX;
        dragY_ = in.screenY;
      } else if (e.type == EventType::leftUp) {
        dragging_ = nullptr;
      }
      return true;
    }
    NativeWindow under = windowAt(in.screenX, in.screenY);
    if (underPointer_ && underPointer_ != under && find(underPointer_) && e.type == EventType::mouseMove) {
      Event left(EventType::mouseLeave);
      left.window = underPointer_;
      deliver(left);
    }
    underPointer_ = under;
    // A captured mouse goes to its window, wherever the pointer is.
    NativeWindow w = captured_ && find(captured_) ? captured_ : under;
    const Window* win = find(w);
    if (!win || !win->enabled) return false;
    const Rect r = win->spec.rect;
    e.window = w;
    e.x = in.screenX - r.left;
    e.y = in.screenY - r.top;
    dragX_ = in.screenX;
    dragY_ = in.screenY;
    for (NativeWindow edit : win->edits) {
      if (contains(edits_[edit].spec.rect, e.x, e.y)) e.child = edit;
    }
    if (e.type == EventType::leftDown && active_ != w) activate(w);
    if (sink_ && sink_->preTranslate(e)) return true;
    if (!isWindow(w)) return true;
    if (e.child) {
      if (e.type == EventType::leftDown && isWindow(e.child)) setFocus(e.child);
      return true;
    }
    deliver(e);
    return true;
  }

  // Keys and characters go where the focus is, unless aimed at a window.
  NativeWindow target = in.target ? in.target : focus_;
  Edit* edit = findEdit(target);
  NativeWindow top = edit ? edit->parent : target;
  const Window* win = find(top);
  if (!win || !win->enabled) return false;
  e.window = top;
  e.child = edit ? target : nullptr;
  if (!in.typing.empty()) {
    for (std::size_t i = 0; i < in.typing.size();) {
      const std::size_t n = platform::gbkCharLength(in.typing, i);
      Event c = e;
      const std::string ch = in.typing.substr(i, n);
      i += n;
      // An ANSI window gets a two-byte character as two character messages,
      // lead byte first, as Windows sends them; the edit takes the character
      // once both have come through.
      bool consumed = false;
      for (char byte : ch) {
        c.code = static_cast<unsigned char>(byte);
        if (sink_ && sink_->preTranslate(c)) {
          consumed = true;
          continue;
        }
        if (!findEdit(c.child) && isWindow(top)) deliver(c);
      }
      Edit* target2 = findEdit(c.child);
      if (consumed || !target2) continue;
      if (target2->spec.readOnly) continue;
      target2->text += ch;
      Event changed{EventType::editChanged};
      changed.window = top;
      changed.child = c.child;
      deliver(changed);
    }
    return true;
  }
  if (sink_ && sink_->preTranslate(e)) return true;
  if (!e.child && isWindow(top)) deliver(e);
  return true;
}

void HeadlessWindowSystem::setTimer(NativeWindow w, unsigned id, unsigned periodMs) {
  // As the system does, a period below 10 ms counts as 10 ms.
  periodMs = std::max(periodMs, 10u);
  if (Window* win = find(w)) win->timers[id] = Timer{periodMs, clock_ + periodMs};
}

void HeadlessWindowSystem::killTimer(NativeWindow w, unsigned id) {
  if (Window* win = find(w)) win->timers.erase(id);
}

void HeadlessWindowSystem::beginDrag(NativeWindow w) {
  captured_ = nullptr;  // the system's move loop takes the mouse
  if (find(w)) dragging_ = w;
}

void HeadlessWindowSystem::captureMouse(NativeWindow w, bool capture) {
  if (capture) {
    captured_ = find(w) ? w : nullptr;
  } else if (captured_ == w) {
    captured_ = nullptr;
  }
}

std::unique_ptr<Canvas> HeadlessWindowSystem::createCanvas(int width, int height) {
  return makeSoftwareCanvas(width, height);
}

void HeadlessWindowSystem::invalidate(NativeWindow w, Rect area) {
  if (Window* win = find(w)) {
    win->dirtyRect = unite(win->dirty ? win->dirtyRect : Rect{}, area);
    win->dirty = true;
  }
}

void HeadlessWindowSystem::present(NativeWindow w, const PixelView& buffer, Rect area) {
  Window* win = find(w);
  if (!win || !buffer.pixels) return;
  const int width = win->spec.rect.width, height = win->spec.rect.height;
  for (int y = std::max(0, area.top); y < std::min({height, buffer.height, area.top + area.height}); ++y) {
    for (int x = std::max(0, area.left); x < std::min({width, buffer.width, area.left + area.width}); ++x) {
      win->screen[static_cast<std::size_t>(y) * width + x] = buffer.pixels[static_cast<std::size_t>(y) * buffer.width + x];
    }
  }
}

// --- the edit child ---------------------------------------------------------------------

NativeWindow HeadlessWindowSystem::createEdit(NativeWindow parent, const EditSpec& spec) {
  Window* win = find(parent);
  if (!win) return nullptr;
  NativeWindow e = newHandle();
  edits_[e] = Edit{parent, spec, spec.text};
  win->edits.push_back(e);
  return e;
}

std::string HeadlessWindowSystem::editText(NativeWindow edit) {
  const Edit* e = findEdit(edit);
  return e ? e->text : "";
}

void HeadlessWindowSystem::setEditText(NativeWindow edit, const std::string& text) {
  Edit* e = findEdit(edit);
  if (!e) return;
  e->text = text;
  Event changed{EventType::editChanged};
  changed.window = e->parent;
  changed.child = edit;
  deliver(changed);
}

void HeadlessWindowSystem::moveEdit(NativeWindow edit, Rect rect) {
  if (Edit* e = findEdit(edit)) e->spec.rect = rect;
}

void HeadlessWindowSystem::setFocus(NativeWindow w) {
  if (w == focus_ || !isWindow(w)) return;
  auto topOf = [this](NativeWindow h) {
    const Edit* e = findEdit(h);
    return e ? e->parent : h;
  };
  const NativeWindow old = focus_;
  focus_ = w;
  if (old && isWindow(old)) {
    Event lost{EventType::focusLost};
    lost.window = topOf(old);
    lost.child = findEdit(old) ? old : nullptr;
    deliver(lost);
  }
  if (focus_ == w && isWindow(w)) {
    Event gained{EventType::focusGained};
    gained.window = topOf(w);
    gained.child = findEdit(w) ? w : nullptr;
    deliver(gained);
  }
}

// --- dialogs ------------------------------------------------------------------------------

void HeadlessWindowSystem::runDialogLoop(std::uint64_t until) {
  // Task-modal: the program's windows are disabled while the dialog is open
  // and get their state back when it closes.
  std::vector<NativeWindow> disabled;
  for (auto& [handle, win] : windows_) {
    if (!win.ownerWindow && win.enabled) {
      win.enabled = false;
      disabled.push_back(handle);
    }
  }
  ++dialogDepth_;
  try {
    while (step(false, until) != Step::timeReached) {
    }
  } catch (...) {
    --dialogDepth_;
    throw;
  }
  --dialogDepth_;
  for (NativeWindow w : disabled) {
    if (Window* win = find(w)) win->enabled = true;
  }
}

int HeadlessWindowSystem::messageBox(NativeWindow owner, const std::string& text,
                                     const std::string& caption, unsigned style) {
  dialogs_.push_back(DialogCall{"messageBox", isWindow(owner) ? owner : nullptr, text, caption, style, clock_});
  if (answers_.empty()) {
    if ((style & 0xF) == kMbOk) return kIdOk;  // an information box closes by itself
    throw HeadlessDeadlock("a question box opened with no scripted answer: " + text);
  }
  const Answer a = answers_.front();
  answers_.pop_front();
  runDialogLoop(clock_ + a.afterMs);
  return a.answer;
}

std::string HeadlessWindowSystem::browseForFolder(NativeWindow owner, const std::string& title) {
  dialogs_.push_back(DialogCall{"browse", isWindow(owner) ? owner : nullptr, title, "", 0, clock_});
  if (browses_.empty()) throw HeadlessDeadlock("a folder browser opened with no scripted answer");
  const Answer a = browses_.front();
  browses_.pop_front();
  runDialogLoop(clock_ + a.afterMs);
  return a.path;
}

}  // namespace ui
