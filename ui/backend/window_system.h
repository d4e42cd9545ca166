// The window-system backend: the least the application and the control layer
// need from a window system, with two implementations — Win32 (the real one)
// and headless (a deterministic simulation with a virtual clock).
//
// Owns: native top-level windows, the queue of messages and its loop
// primitive, timers, the system edit child, the system's dialogs, and the
// presentation of a window's back buffer.
// Never: knows about window records, controls or handlers. It turns raw
// messages into `Event`s and hands them to the one `EventSink`; the
// application decides what they mean.
// Escape hatch: `NativeWindow` is the platform's handle (an HWND on Windows),
// for the shell operations that take an owner window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/shellops.h"

namespace ui {

using platform::NativeWindow;
class Canvas;

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && width == o.width && height == o.height;
  }
};

inline bool isEmpty(const Rect& r) { return r.width <= 0 || r.height <= 0; }

// The common part of two rectangles; empty (at the would-be corner) when none.
inline Rect intersect(const Rect& a, const Rect& b) {
  const int l = a.left > b.left ? a.left : b.left, t = a.top > b.top ? a.top : b.top;
  const int ar = a.left + a.width, br = b.left + b.width, ab = a.top + a.height, bb = b.top + b.height;
  const int r = ar < br ? ar : br, btm = ab < bb ? ab : bb;
  if (r <= l || btm <= t) return Rect{l, t, 0, 0};
  return Rect{l, t, r - l, btm - t};
}

// The smallest rectangle holding both; an empty one adds nothing.
inline Rect unite(const Rect& a, const Rect& b) {
  if (isEmpty(a)) return b;
  if (isEmpty(b)) return a;
  const int l = a.left < b.left ? a.left : b.left, t = a.top < b.top ? a.top : b.top;
  const int ar = a.left + a.width, br = b.left + b.width, ab = a.top + a.height, bb = b.top + b.height;
  const int r = ar > br ? ar : br, btm = ab > bb ? ab : bb;
  return Rect{l, t, r - l, btm - t};
}

// Modifier bits of input events, as the controls report them.
enum Keys : unsigned { keyCtrl = 1, keyShift = 2, keyAlt = 4 };

enum class EventType {
  // Input, passed through EventSink::preTranslate first.
  leftDown, leftUp, leftDoubleClick, rightDown, rightUp, mouseMove, wheel,
  mouseLeave,   // the pointer has left the window (after a move over it)
  keyDown, keyUp, character,
  // Window notices.
  paint,        // `rect` needs drawing (client coordinates)
  timer,        // `code` is the timer id
  deferred,     // the private message that carries a deferred destruction
  closeRequest, // the system or a key asks the window to close
  editChanged,  // the edit child `child` changed its text
  focusGained,  // `child` (or the window itself, when null) took the keyboard focus
  focusLost,
  destroyed,    // the native window is gone (sent from within destroyWindow)
};

struct Event {
  explicit Event(EventType t = EventType::paint) : type(t) {}
  EventType type;
  NativeWindow window = nullptr;  // the top-level window
  NativeWindow child = nullptr;   // the edit child the event concerns, if any
  int x = 0, y = 0;               // pointer, client coordinates of `window` (signed)
  unsigned keys = 0;              // Keys bits held when the message is handled
  int code = 0;                   // key code, character, wheel notches or timer id
  Rect rect;                      // paint
};

// The application's side: every event of every window reaches it here.
class EventSink {
 public:
  virtual ~EventSink() = default;
  // Input before the native control handles it; true consumes the message.
  virtual bool preTranslate(const Event& e) = 0;
  virtual void handle(const Event& e) = 0;
};

struct WindowSpec {
  Rect rect;                      // outer rectangle on the screen
  std::string caption;            // taskbar and task-switcher text (GBK)
  NativeWindow owner = nullptr;   // an owned window has no taskbar button
};

// The system edit control, the one native child a window may have.
struct EditSpec {
  Rect rect;                 // in the parent's client area
  std::string text;          // initial text; sets off no `editChanged`
  bool multiline = false, readOnly = false, verticalScroll = false;
  std::uint32_t textColour = 0x000000, backColour = 0xFFFFFF;  // 0x00BBGGRR
  std::string fontFace;      // empty: the default GUI font
  int fontHeight = 0, fontWeight = 400;
  bool underline = false;
};

// A window's back buffer: 32-bit BGRA pixels, top row first, as a DIB section
// holds them.
struct PixelView {
  const std::uint32_t* pixels = nullptr;
  int width = 0, height = 0;  // the whole buffer
};

// Results of messageBox, as the system numbers them.
constexpr int kIdYes = 6, kIdNo = 7, kIdOk = 1;
// messageBox styles used by the program.
constexpr unsigned kMbOk = 0x0, kMbYesNo = 0x4, kMbIconStop = 0x10, kMbIconQuestion = 0x20,
                   kMbIconWarning = 0x30, kMbIconInformation = 0x40, kMbTaskModal = 0x2000;

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  virtual void setSink(EventSink* sink) = 0;

  // --- the process ------------------------------------------------------------------
  // Start-up's system part: OLE on this thread, and the current directory set
  // to the folder of the program's own executable. False when OLE refuses.
  virtual bool startProcess() = 0;
  // Releases what startProcess took (OLE).
  virtual void finishProcess() = 0;
  // Ends the process; never returns. The headless backend unwinds to its
  // caller instead, past every handler, without running their remaining code.
  [[noreturn]] virtual void exitProcess(int code) = 0;

  // --- screen and windows -----------------------------------------------------
  virtual int screenWidth() = 0;
  virtual int screenHeight() = 0;
  // The never-shown owner of modal windows: zero size at 0, 0, tool window.
  virtual NativeWindow createOwnerWindow() = 0;
  // A frameless top-level window with the minimise box, created hidden; null
  // when the system refuses.
  virtual NativeWindow createWindow(const WindowSpec& spec) = 0;
  // Destroys at once; an edit child goes with it. Delivers `destroyed`.
  virtual void destroyWindow(NativeWindow w) = 0;
  virtual bool isWindow(NativeWindow w) = 0;
  virtual void showWindow(NativeWindow w) = 0;  // shown and active
  virtual bool isVisible(NativeWindow w) = 0;
  virtual bool isMinimized(NativeWindow w) = 0;
  virtual void minimize(NativeWindow w) = 0;
  virtual void restore(NativeWindow w) = 0;
  virtual void activate(NativeWindow w) = 0;
  virtual NativeWindow activeWindow() = 0;
  virtual void enableWindow(NativeWindow w, bool enable) = 0;
  virtual bool isWindowEnabled(NativeWindow w) = 0;
  virtual Rect windowRect(NativeWindow w) = 0;
  // True when the window has a button on the taskbar.
  virtual bool hasTaskbarButton(NativeWindow w) = 0;

  // --- the queue ------------------------------------------------------------------
  // Posts the private message of a deferred destruction to `w`.
  virtual void postDeferred(NativeWindow w) = 0;
  virtual void postQuit(int code) = 0;
  // True when the next message waiting is a quit request (it stays queued).
  virtual bool quitWaiting() = 0;
  // Waits for the next message and dispatches it (input through the sink's
  // preTranslate first). Returns false, with the code, when it took a quit request.
  virtual bool dispatchNext(int& quitCode) = 0;
  // A timer on `w`; missed periods coalesce into one pending tick. Setting an
  // existing id restarts it.
  virtual void setTimer(NativeWindow w, unsigned id, unsigned periodMs) = 0;
  virtual void killTimer(NativeWindow w, unsigned id) = 0;
  // Starts moving `w` with the mouse, as a press on a caption bar would.
  virtual void beginDrag(NativeWindow w) = 0;
  // While captured, every mouse message goes to `w`, wherever the pointer is
  // (positions then may lie outside the window, negative too).
  virtual void captureMouse(NativeWindow w, bool capture) = 0;

  // A back buffer for a window of this size, drawn the way this system draws
  // (GDI on Windows, the software canvas headless).
  virtual std::unique_ptr<Canvas> createCanvas(int width, int height) = 0;
  // Asks for a `paint` of `area` (client coordinates) from a later loop turn.
  virtual void invalidate(NativeWindow w, Rect area) = 0;
  // Puts `area` of the back buffer on the screen (within a paint, or at once).
  virtual void present(NativeWindow w, const PixelView& buffer, Rect area) = 0;

  // --- the edit child ---------------------------------------------------------------
  virtual NativeWindow createEdit(NativeWindow parent, const EditSpec& spec) = 0;
  virtual std::string editText(NativeWindow edit) = 0;
  // Replaces the text; the change notice comes as `editChanged`, before this returns.
  virtual void setEditText(NativeWindow edit, const std::string& text) = 0;
  virtual void moveEdit(NativeWindow edit, Rect rect) = 0;
  virtual void setFocus(NativeWindow w) = 0;  // a top-level window or an edit child
  virtual NativeWindow focus() = 0;

  // --- the system's dialogs (each runs its own loop inside the call) ---------------
  virtual int messageBox(NativeWindow owner, const std::string& text, const std::string& caption,
                         unsigned style) = 0;
  // The folder browser, owned by `owner`; empty on cancel. The caller disables
  // and restores its windows around it.
  virtual std::string browseForFolder(NativeWindow owner, const std::string& title) = 0;
};

}  // namespace ui
