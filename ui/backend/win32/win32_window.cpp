// Top-level windows: the class, creation, the window procedure and the
// window operations.
//  [x] one window class (double-clicks on, button-face background) for both
//      the installer's windows and the hidden owner
//  [x] frameless window: WS_POPUP | WS_MINIMIZEBOX, hidden at creation, the
//      outer rectangle exactly as asked (no frame to add)
//  [x] hidden owner: zero size at 0, 0, WS_EX_TOOLWINDOW, no caption, never shown
//  [x] the window procedure: a short switch over named handlers; input,
//      timer, deferred, close, focus, paint and destroy turned into Events
//  [x] show/activate, enable, minimise/restore, taskbar-button rule
//  [x] the edit that had the focus gets it back when its window is activated
//  [ ] window regions (shaped windows), WM_NCHITTEST tricks
#include "ui/backend/win32/win32_backend.h"

#include <algorithm>

namespace ui {
namespace {

HWND hwndOf(NativeWindow w) { return static_cast<HWND>(w); }

// Why WS_MINIMIZEBOX on a window without a caption: it is what lets the
// taskbar button minimise and restore the window (the shell and Wine's X11
// driver both look at it; Wine also hands only such windows to the window
// manager), while WS_SYSMENU and WS_CAPTION stay off so there is no caption
// bar and no system menu. WS_CLIPCHILDREN keeps our painting off the edit.
constexpr DWORD kFramelessStyle = WS_POPUP | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

}  // namespace

Win32WindowSystem::Win32WindowSystem(HINSTANCE instance)
    : instance_(instance ? instance : GetModuleHandleA(nullptr)) {}

Win32WindowSystem::~Win32WindowSystem() {
  // Windows left over (a test that ended early) must not call into a dead object.
  sink_ = nullptr;
  std::vector<TopLevel> left = windows_;
  for (const TopLevel& t : left) {
    if (IsWindow(t.window)) DestroyWindow(t.window);
  }
  if (windowClass_) UnregisterClassA(windowClassName(), instance_);
}

bool Win32WindowSystem::registerClass() {
  if (windowClass_) return true;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &Win32WindowSystem::windowProc;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  // Until the control layer paints every pixel, the class brush fills the background.
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = windowClassName();
  windowClass_ = RegisterClassExA(&wc);
  if (!windowClass_) fail("RegisterClassExA");
  return windowClass_ != 0;
}

HWND Win32WindowSystem::createTopLevel(DWORD exStyle, DWORD style, const WindowSpec& spec) {
  if (!registerClass()) return nullptr;
  windows_.push_back(TopLevel{nullptr});  // filled in by WM_NCCREATE's first messages
  HWND hwnd = CreateWindowExA(exStyle, windowClassName(), spec.caption.c_str(), style, spec.rect.left,
                              spec.rect.top, spec.rect.width, spec.rect.height, hwndOf(spec.owner), nullptr,
                              instance_, this);
  if (!hwnd) {
    fail("CreateWindowExA");
    windows_.erase(std::remove_if(windows_.begin(), windows_.end(), [](const TopLevel& t) { return !t.window; }),
                   windows_.end());
  }
  return hwnd;
}

NativeWindow Win32WindowSystem::createOwnerWindow() {
  WindowSpec spec;  // zero size at 0, 0, no caption
  return createTopLevel(WS_EX_TOOLWINDOW, WS_POPUP, spec);
}

NativeWindow Win32WindowSystem::createWindow(const WindowSpec& spec) {
  return createTopLevel(0, kFramelessStyle, spec);
}

Win32WindowSystem::TopLevel* Win32WindowSystem::topLevel(HWND hwnd) {
  for (TopLevel& t : windows_) {
    if (t.window == hwnd) return &t;
  }
  return nullptr;
}

bool Win32WindowSystem::isOurs(HWND hwnd) const {
  if (!hwnd) return false;
  for (const TopLevel& t : windows_) {
    if (t.window == hwnd) return true;
  }
  return false;
}

void Win32WindowSystem::deliver(const Event& e) {
  if (sink_) sink_->handle(e);
}

// --- the window procedure -------------------------------------------------------------

LRESULT CALLBACK Win32WindowSystem::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32WindowSystem*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    // The first message that carries our object: remember it on the window.
    self = static_cast<Win32WindowSystem*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (TopLevel* pending = self->topLevel(nullptr)) pending->window = hwnd;
  }
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return self->handleMessage(hwnd, msg, wParam, lParam);
}

LRESULT Win32WindowSystem::handleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      onPaint(hwnd);
      return 0;
    case WM_CLOSE: {
      // The application decides and destroys; DefWindowProc would destroy at once.
      Event e(EventType::closeRequest);
      e.window = hwnd;
      deliver(e);
      return 0;
    }
    case WM_DESTROY: {
      Event e(EventType::destroyed);
      e.window = hwnd;
      deliver(e);
      return 0;
    }
    case WM_NCDESTROY:
      onNcDestroy(hwnd);
      break;
    case WM_ACTIVATE:
      onActivate(hwnd, wParam);
      return 0;
    case WM_COMMAND:
      onCommand(hwnd, wParam, lParam);
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:  // a read-only edit asks with this one
      return onControlColour(hwnd, msg, reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
    default: {
      Event e;
      if (eventOf(hwnd, msg, wParam, lParam, e)) {
        deliver(e);
        if (msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR || msg == WM_TIMER || msg == kDeferredMessage) {
          return 0;
        }
      }
      break;
    }
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void Win32WindowSystem::onActivate(HWND hwnd, WPARAM wParam) {
  TopLevel* t = topLevel(hwnd);
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focused = GetFocus();
    if (t) t->savedFocus = (focused && IsChild(hwnd, focused)) ? focused : nullptr;
    return;
  }
  if (HIWORD(wParam)) return;  // minimised: no focus to give
  // As a dialog does: the edit that had the focus gets it back; otherwise
  // the window itself takes it (DefWindowProc's own behaviour).
  if (t && t->savedFocus && IsWindow(t->savedFocus) && IsChild(hwnd, t->savedFocus)) {
    SetFocus(t->savedFocus);
  } else {
    SetFocus(hwnd);
  }
}

void Win32WindowSystem::onNcDestroy(HWND hwnd) {
  // The last message of the window: its edits are gone, so their brushes and
  // fonts can go too.
  releaseEdits(hwnd);
  windows_.erase(std::remove_if(windows_.begin(), windows_.end(), [hwnd](const TopLevel& t) { return t.window == hwnd; }),
                 windows_.end());
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
}

// --- window operations ------------------------------------------------------------------

int Win32WindowSystem::screenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int Win32WindowSystem::screenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

void Win32WindowSystem::destroyWindow(NativeWindow w) {
  HWND hwnd = hwndOf(w);
  if (!IsWindow(hwnd)) return;
  const bool edit = editChild(hwnd) != nullptr;
  if (!DestroyWindow(hwnd)) fail("DestroyWindow");
  if (edit) releaseEdits(hwnd);  // a top-level window lets go of its own in WM_NCDESTROY
}

bool Win32WindowSystem::isWindow(NativeWindow w) { return w && IsWindow(hwndOf(w)); }

void Win32WindowSystem::showWindow(NativeWindow w) {
  ShowWindow(hwndOf(w), SW_SHOW);
  // SW_SHOW activates only when the system lets us have the foreground.
  SetForegroundWindow(hwndOf(w));
}

bool Win32WindowSystem::isVisible(NativeWindow w) { return IsWindowVisible(hwndOf(w)) != 0; }
bool Win32WindowSystem::isMinimized(NativeWindow w) { return IsIconic(hwndOf(w)) != 0; }
void Win32WindowSystem::minimize(NativeWindow w) { ShowWindow(hwndOf(w), SW_MINIMIZE); }
void Win32WindowSystem::restore(NativeWindow w) { ShowWindow(hwndOf(w), SW_RESTORE); }
void Win32WindowSystem::activate(NativeWindow w) { SetActiveWindow(hwndOf(w)); }
NativeWindow Win32WindowSystem::activeWindow() { return GetActiveWindow(); }
void Win32WindowSystem::enableWindow(NativeWindow w, bool enable) { EnableWindow(hwndOf(w), enable ? TRUE : FALSE); }
bool Win32WindowSystem::isWindowEnabled(NativeWindow w) { return IsWindowEnabled(hwndOf(w)) != 0; }

Rect Win32WindowSystem::windowRect(NativeWindow w) {
  RECT r;
  if (!GetWindowRect(hwndOf(w), &r)) return Rect{};
  return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

bool Win32WindowSystem::hasTaskbarButton(NativeWindow w) {
  // The shell's rule: a visible window that is no tool window and has no
  // owner, or that asks for a button with WS_EX_APPWINDOW.
  HWND hwnd = hwndOf(w);
  if (!IsWindow(hwnd) || !IsWindowVisible(hwnd)) return false;
  const LONG_PTR ex = GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
  if (ex & WS_EX_APPWINDOW) return true;
  if (ex & WS_EX_TOOLWINDOW) return false;
  return GetWindow(hwnd, GW_OWNER) == nullptr;
}

}  // namespace ui
