// The queue: the loop primitive and what goes into the queue.
//  [x] dispatchNext: GetMessageA; input for our windows (or their edits)
//      turned into an Event and offered to the sink's preTranslate first,
//      then TranslateMessage/DispatchMessageA
//  [x] quitWaiting: a quit request that is the next message, left queued
//  [x] postDeferred: PostMessageA of the private kDeferredMessage
//  [x] postQuit: PostQuitMessage
//  [x] timers: SetTimer/KillTimer; the system coalesces missed periods
//  [x] beginDrag: the system's own move loop, as a caption press starts it
//  [ ] DBCS characters come as two `character` events (lead, then trail
//      byte), not as one combined code as the headless backend gives them
#include "ui/backend/win32/win32_backend.h"

namespace ui {
namespace {

unsigned keysHeld() {
  // At handling time, as the controls see it, not when the message was queued.
  unsigned keys = 0;
  if (GetKeyState(VK_CONTROL) & 0x8000) keys |= keyCtrl;
  if (GetKeyState(VK_SHIFT) & 0x8000) keys |= keyShift;
  if (GetKeyState(VK_MENU) & 0x8000) keys |= keyAlt;
  return keys;
}

bool mouseType(UINT msg, EventType& type) {
  switch (msg) {
    case WM_LBUTTONDOWN: type = EventType::leftDown; return true;
    case WM_LBUTTONUP: type = EventType::leftUp; return true;
    case WM_LBUTTONDBLCLK: type = EventType::leftDoubleClick; return true;
    case WM_RBUTTONDOWN: type = EventType::rightDown; return true;
    case WM_RBUTTONUP: type = EventType::rightUp; return true;
    case WM_MOUSEMOVE: type = EventType::mouseMove; return true;
    default: return false;
  }
}

bool keyType(UINT msg, EventType& type) {
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: type = EventType::keyDown; return true;
    case WM_KEYUP:
    case WM_SYSKEYUP: type = EventType::keyUp; return true;
    case WM_CHAR: type = EventType::character; return true;
    default: return false;
  }
}

}  // namespace

// The Event of a message for one of our windows `hwnd`; false for messages
// that carry none. Client coordinates come as unsigned words.
bool Win32WindowSystem::eventOf(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, Event& e) {
  EventType type;
  if (mouseType(msg, type)) {
    e = Event(type);
    // Signed: with the mouse captured the pointer may be left of or above the window.
    e.x = static_cast<short>(LOWORD(lParam));
    e.y = static_cast<short>(HIWORD(lParam));
    e.keys = keysHeld();
    if (msg == WM_MOUSEMOVE) {
      // Ask to be told when the pointer leaves, so a hovered button can let go.
      TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, 0};
      TrackMouseEvent(&track);
    }
  } else if (msg == WM_MOUSELEAVE) {
    e = Event(EventType::mouseLeave);
  } else if (msg == WM_MOUSEWHEEL) {
    // The wheel comes in screen coordinates.
    e = Event(EventType::wheel);
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(hwnd, &p);
    e.x = p.x;
    e.y = p.y;
    e.code = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
    e.keys = keysHeld();
  } else if (keyType(msg, type)) {
    e = Event(type);
    e.code = static_cast<int>(wParam);
    e.keys = keysHeld();
  } else if (msg == WM_TIMER) {
    e = Event(EventType::timer);
    e.code = static_cast<int>(wParam);
  } else if (msg == kDeferredMessage) {
    e = Event(EventType::deferred);
  } else if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS) {
    e = Event(msg == WM_SETFOCUS ? EventType::focusGained : EventType::focusLost);
  } else {
    return false;
  }
  e.window = hwnd;
  return true;
}

bool Win32WindowSystem::inputEvent(const MSG& msg, Event& e) {
  EventType type;
  if (!mouseType(msg.message, type) && !keyType(msg.message, type) && msg.message != WM_MOUSEWHEEL) return false;
  if (!msg.hwnd) return false;
  HWND top = GetAncestor(msg.hwnd, GA_ROOT);
  if (!isOurs(top)) return false;  // a system dialog's own window, or another program's
  if (!eventOf(top, msg.message, msg.wParam, msg.lParam, e)) return false;
  if (msg.hwnd != top) {
    // Input for the edit child: reported for its window, at the point in the
    // window's client area.
    e.child = msg.hwnd;
    if (msg.message != WM_MOUSEWHEEL && mouseType(msg.message, type)) {
      POINT p{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
      MapWindowPoints(msg.hwnd, top, &p, 1);
      e.x = p.x;
      e.y = p.y;
    }
  }
  return true;
}

bool Win32WindowSystem::dispatchNext(int& quitCode) {
  MSG msg;
  const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
  if (got == 0) {
    quitCode = static_cast<int>(msg.wParam);
    return false;
  }
  if (got == -1) {
    // Only an invalid window filter makes GetMessage fail, and we pass none.
    fail("GetMessageA");
    return true;
  }
  Event e;
  if (sink_ && inputEvent(msg, e) && sink_->preTranslate(e)) return true;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

void Win32WindowSystem::postDeferred(NativeWindow w) {
  if (!PostMessageA(static_cast<HWND>(w), kDeferredMessage, 0, 0)) fail("PostMessageA");
}

void Win32WindowSystem::postQuit(int code) { PostQuitMessage(code); }

bool Win32WindowSystem::quitWaiting() {
  // PostQuitMessage sets a flag rather than queueing a message, and a peek
  // filtered to WM_QUIT..WM_QUIT reports that flag even with posted messages
  // still ahead of it, which GetMessage would hand out first. So a quit
  // counts as the next message only when no posted message (our deferred
  // destructions above all) is waiting; input, paint and timers come after a
  // quit anyway.
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return false;
  if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_POSTMESSAGE) && msg.message != WM_QUIT &&
      msg.message != WM_TIMER) {
    return false;
  }
  return true;
}

void Win32WindowSystem::setTimer(NativeWindow w, unsigned id, unsigned periodMs) {
  if (!SetTimer(static_cast<HWND>(w), id, periodMs, nullptr)) fail("SetTimer");
}

void Win32WindowSystem::killTimer(NativeWindow w, unsigned id) { KillTimer(static_cast<HWND>(w), id); }

void Win32WindowSystem::captureMouse(NativeWindow w, bool capture) {
  if (capture) {
    SetCapture(static_cast<HWND>(w));
  } else if (GetCapture() == static_cast<HWND>(w)) {
    ReleaseCapture();
  }
}

void Win32WindowSystem::beginDrag(NativeWindow w) {
  // The press that starts the drag holds the capture; the move loop needs it free.
  ReleaseCapture();
  SendMessageA(static_cast<HWND>(w), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

}  // namespace ui
