// The stand-in exam program that setup.exe embeds until the real product
// files are supplied (PAYLOAD_DIR). It shows what an installation left
// beside it, so every road of the installer can be tried for real: the
// product name, the folder it runs from, and whether its database and
// configuration lie in that folder. Closing it (× or Esc) ends it with 0.
#include <windows.h>

#include <string>

namespace {

const char kTitle[] = "Velmaro考试系统";
const char kClassName[] = "VelmaroExamStandIn";

// Paths are GBK: a byte of 0x80 or above starts a two-byte character, and
// its trailing byte may be 0x5C without being a separator ("誠" is D5 5C).
std::size_t charLength(const std::string& s, std::size_t i) {
  return (static_cast<unsigned char>(s[i]) >= 0x80 && i + 1 < s.size()) ? 2 : 1;
}

// Offset of the last separator, or npos.
std::size_t lastSeparator(const std::string& s) {
  std::size_t sep = std::string::npos;
  for (std::size_t i = 0; i < s.size(); i += charLength(s, i)) {
    if (s[i] == '\\') sep = i;
  }
  return sep;
}

// The folder of this program's own file, without a trailing separator
// (a drive root keeps its "C:\").
std::string ownFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  std::string s(path, n);
  std::size_t sep = lastSeparator(s);
  if (sep == std::string::npos) return std::string();
  if (sep == 2 && s[1] == ':') return s.substr(0, 3);
  return s.substr(0, sep);
}

bool isFileBeside(const std::string& folder, const char* name) {
  std::string path = folder;
  if (!path.empty() && lastSeparator(path) != path.size() - 1) path += '\\';
  path += name;
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void addLine(HWND parent, int index, const std::string& text) {
  HWND line = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                              16, 16 + index * 28, 560, 24, parent, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  SendMessageA(line, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

void addFacts(HWND window) {
  std::string folder = ownFolder();
  addLine(window, 0, kTitle);
  addLine(window, 1, "运行位置：" + folder);
  addLine(window, 2, std::string("mini.dll：") + (isFileBeside(folder, "mini.dll") ? "存在" : "缺失"));
  addLine(window, 3, std::string("配置文件.ini：") + (isFileBeside(folder, "配置文件.ini") ? "存在" : "缺失"));
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      addFacts(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// Esc reaches whichever window holds the focus, and an active window whose
// focus is nowhere gets it as WM_SYSKEYDOWN: looking at the message before
// it is dispatched catches it in every case.
bool isEscape(const MSG& msg) {
  return (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == VK_ESCAPE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassA(&windowClass)) return 1;

  RECT frame = {0, 0, 600, 136};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  AdjustWindowRect(&frame, style, FALSE);
  int width = frame.right - frame.left;
  int height = frame.bottom - frame.top;
  HWND window = CreateWindowExA(0, kClassName, kTitle, style,
                                (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                                width, height, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, showCommand);
  UpdateWindow(window);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (isEscape(msg)) {
      PostMessageA(window, WM_CLOSE, 0, 0);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
