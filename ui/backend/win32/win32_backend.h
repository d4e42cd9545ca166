// The Win32 backend: the window system of the shipped installer, over
// user32, gdi32, shell32 and ole32 with the ANSI (A) functions, so every text
// crosses the boundary in the ANSI code page (936) unchanged.
//
// Owns: the window class, the hidden owner window, our top-level windows'
// small records (the focus to give back on activation), the edit children's
// colours and fonts, and the text of the last Win32 failure.
// Never: knows about window records, controls or handlers; the window
// procedure turns raw messages into `ui::Event`s for the one sink.
// Escape hatch: a `NativeWindow` is the HWND itself.
//
// One object holds all state; each HWND of ours carries a pointer to it in
// GWLP_USERDATA, so there is no global. One source file per concern:
//   win32_window.cpp   class, creation, window procedure, show/enable/…
//   win32_queue.cpp    the loop primitive, posted messages, quit, timers, drag
//   win32_edit.cpp     the EDIT child
//   win32_present.cpp  paint and presenting a back buffer
//   win32_dialogs.cpp  the message box and the folder browser
//   win32_process.cpp  OLE, current directory, the end of the process
//   win32_error.cpp    a Win32 failure as text
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/backend/window_system.h"

namespace ui {

// "函数名: 系统的说明 (N)" for the calling thread's last error `code`.
std::string describeWin32Error(const char* what, DWORD code);

// The folder of an executable path: the text before its last "\", stepping
// over two-byte characters; a bare drive keeps its "\" ("C:\" rather than
// "C:", which would mean the drive's current directory). Empty when there is
// no "\".
std::string folderOfPath(const std::string& path);

// The private message that carries a deferred destruction.
constexpr UINT kDeferredMessage = WM_APP + 1;

class Win32WindowSystem : public WindowSystem {
 public:
  explicit Win32WindowSystem(HINSTANCE instance = nullptr);
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  // What the last refused Win32 call said; empty when none failed.
  const std::string& lastFailure() const { return lastFailure_; }
  static const char* windowClassName() { return "VelmaroWindow"; }

  // --- WindowSystem ------------------------------------------------------------------
  void setSink(EventSink* sink) override { sink_ = sink; }
  bool startProcess() override;
  void finishProcess() override;
  [[noreturn]] void exitProcess(int code) override;
  int screenWidth() override;
  int screenHeight() override;
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
  NativeWindow activeWindow() override;
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
  NativeWindow focus() override;
  int messageBox(NativeWindow owner, const std::string& text, const std::string& caption,
                 unsigned style) override;
  std::string browseForFolder(NativeWindow owner, const std::string& title) override;

 private:
  struct TopLevel {
    HWND window;
    HWND savedFocus = nullptr;  // the edit that had the focus when it was deactivated
  };
  struct EditChild {
    HWND edit, parent;
    COLORREF text, back;
    HBRUSH brush;
    HFONT font;  // null: the stock GUI font, not ours to delete
  };

  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  // win32_window.cpp
  bool registerClass();
  HWND createTopLevel(DWORD exStyle, DWORD style, const WindowSpec& spec);
  TopLevel* topLevel(HWND hwnd);
  bool isOurs(HWND hwnd) const;  // a top-level window of our class
  void onActivate(HWND hwnd, WPARAM wParam);
  void onNcDestroy(HWND hwnd);
  void deliver(const Event& e);
  void fail(const char* what);

  // win32_queue.cpp
  // The input messages the sink pre-translates; false for every other message.
  bool inputEvent(const MSG& msg, Event& e);
  bool eventOf(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, Event& e);

  // win32_edit.cpp
  EditChild* editChild(HWND hwnd);
  void onCommand(HWND hwnd, WPARAM wParam, LPARAM lParam);
  LRESULT onControlColour(HWND hwnd, UINT msg, HWND edit, HDC dc);
  void releaseEdits(HWND window);  // a parent's edits, or one edit

  // win32_present.cpp
  void onPaint(HWND hwnd);

  HINSTANCE instance_;
  ATOM windowClass_ = 0;
  EventSink* sink_ = nullptr;
  std::vector<TopLevel> windows_;
  std::vector<EditChild> edits_;
  bool creatingEdit_ = false;   // an edit's initial text sets off no editChanged
  HWND paintWindow_ = nullptr;  // the window inside BeginPaint…EndPaint
  HDC paintDc_ = nullptr;
  bool oleStarted_ = false;
  std::string lastFailure_;
};

}  // namespace ui
