// The system EDIT child, the one native child a window has.
//  [x] created from the EditSpec: multi-line, read-only, vertical scroll bar,
//      initial text without an editChanged, font (face, height, weight,
//      underline; the stock GUI font when no face is given)
//  [x] text read and write; EN_CHANGE becomes editChanged before
//      SetWindowTextA returns (the notice is sent, not posted)
//  [x] EN_SETFOCUS / EN_KILLFOCUS become focusGained / focusLost with `child`
//  [x] colours through WM_CTLCOLOREDIT, and WM_CTLCOLORSTATIC for read-only
//  [ ] a colour or font changed after creation
#include "ui/backend/win32/win32_backend.h"

#include <algorithm>

namespace ui {

Win32WindowSystem::EditChild* Win32WindowSystem::editChild(HWND hwnd) {
  for (EditChild& e : edits_) {
    if (e.edit == hwnd) return &e;
  }
  return nullptr;
}

NativeWindow Win32WindowSystem::createEdit(NativeWindow parent, const EditSpec& spec) {
  HWND owner = static_cast<HWND>(parent);
  if (!isOurs(owner)) return nullptr;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
  if (spec.multiline) style = (style & ~ES_AUTOHSCROLL) | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
  if (spec.readOnly) style |= ES_READONLY;
  if (spec.verticalScroll) style |= WS_VSCROLL;
  creatingEdit_ = true;
  HWND edit = CreateWindowExA(0, "EDIT", spec.text.c_str(), style, spec.rect.left, spec.rect.top, spec.rect.width,
                              spec.rect.height, owner, nullptr, instance_, nullptr);
  if (!edit) {
    creatingEdit_ = false;
    fail("CreateWindowExA(EDIT)");
    return nullptr;
  }
  HFONT font = nullptr;
  if (!spec.fontFace.empty()) {
    font = CreateFontA(spec.fontHeight, 0, 0, 0, spec.fontWeight, FALSE, spec.underline ? TRUE : FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH,
                       spec.fontFace.c_str());
    if (!font) fail("CreateFontA");
  }
  SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  edits_.push_back(EditChild{edit, owner, static_cast<COLORREF>(spec.textColour & 0xFFFFFF),
                             static_cast<COLORREF>(spec.backColour & 0xFFFFFF),
                             CreateSolidBrush(spec.backColour & 0xFFFFFF), font});
  creatingEdit_ = false;
  return edit;
}

std::string Win32WindowSystem::editText(NativeWindow edit) {
  HWND hwnd = static_cast<HWND>(edit);
  const int n = GetWindowTextLengthA(hwnd);
  if (n <= 0) return "";
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  const int got = GetWindowTextA(hwnd, &text[0], n + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

void Win32WindowSystem::setEditText(NativeWindow edit, const std::string& text) {
  if (!SetWindowTextA(static_cast<HWND>(edit), text.c_str())) fail("SetWindowTextA");
}

void Win32WindowSystem::moveEdit(NativeWindow edit, Rect rect) {
  MoveWindow(static_cast<HWND>(edit), rect.left, rect.top, rect.width, rect.height, TRUE);
}

void Win32WindowSystem::setFocus(NativeWindow w) { SetFocus(static_cast<HWND>(w)); }
NativeWindow Win32WindowSystem::focus() { return GetFocus(); }

void Win32WindowSystem::onCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  HWND edit = reinterpret_cast<HWND>(lParam);
  if (!edit || !editChild(edit)) return;  // no menus or accelerators of ours
  Event e;
  switch (HIWORD(wParam)) {
    case EN_CHANGE:
      if (creatingEdit_) return;
      e = Event(EventType::editChanged);
      break;
    case EN_SETFOCUS: e = Event(EventType::focusGained); break;
    case EN_KILLFOCUS: e = Event(EventType::focusLost); break;
    default: return;
  }
  e.window = hwnd;
  e.child = edit;
  deliver(e);
}

LRESULT Win32WindowSystem::onControlColour(HWND hwnd, UINT msg, HWND edit, HDC dc) {
  const EditChild* e = editChild(edit);
  if (!e) return DefWindowProcA(hwnd, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
  SetTextColor(dc, e->text);
  SetBkColor(dc, e->back);
  return reinterpret_cast<LRESULT>(e->brush);
}

void Win32WindowSystem::releaseEdits(HWND window) {
  // `window` is a parent whose edits are all gone, or one edit.
  auto mine = [window](const EditChild& e) { return e.parent == window || e.edit == window; };
  for (const EditChild& e : edits_) {
    if (!mine(e)) continue;
    if (e.brush) DeleteObject(e.brush);
    if (e.font) DeleteObject(e.font);
  }
  edits_.erase(std::remove_if(edits_.begin(), edits_.end(), mine), edits_.end());
}

}  // namespace ui
