// The uninstaller that setup.exe embeds by default: it undoes exactly what
// an installation did (removal.h) and removes itself as well.
//
// A running program's file cannot be deleted, so the work is split between
// two processes:
//
//   uninst.exe (started by the user)        cleanup copy (%TEMP%\vunXXXX.tmp)
//   --------------------------------        ---------------------------------
//   asks yes/no; No ends it with 0
//   copies itself to %TEMP%, opens the
//   copy delete-on-close, starts it    -->  removes everything but uninst.exe
//   waits for its report on a pipe     <--  reports what stayed, closes pipe
//   shows the outcome, exits 0 or 1         waits for uninst.exe to end,
//                                           deletes it and the empty folder,
//                                           ends: its last handle on its own
//                                           file closes, and the file goes
//
// So the outcome the user sees, and the exit code of the process they
// started, cover every file but uninst.exe itself, which cannot fail to go
// once its process has ended unless someone else holds it; the copy then
// says so in a box of its own. When something could not be removed,
// uninst.exe and its shortcut stay, so that the removal can be run again.
//
// The copy's file was opened by the first process with
// FILE_FLAG_DELETE_ON_CLOSE and that handle was inherited: the system
// deletes the file when the copy's process has ended and closed it, on
// Windows and under Wine alike. Nothing is left pending until a reboot.
//
// For tests, VELMARO_UNINST_ANSWER=yes|no answers the question and
// VELMARO_UNINST_REPORT names a file that receives the outcome instead of
// the boxes. Nobody sets these by accident.
#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <string>

#include "payloads/uninst/names.h"
#include "payloads/uninst/paths.h"
#include "payloads/uninst/removal.h"

namespace uninst {

namespace {

const char kCaption[] = "Velmaro";
const char kQuestion[] = "您确实要完全移除Velmaro考试系统及其所有组件吗？";
const char kDone[] = "Velmaro考试系统已成功地从您的计算机中移除。";
const char kKeptFolders[] = "以下文件夹中还有其他文件，已予保留：";
const char kFailed[] = "以下项目未能移除：";
const char kRunAgain[] = "请关闭正在使用它们的程序，然后再次运行卸载程序。";
const char kCleanupSwitch[] = "/velmaro-cleanup";

std::string environment(const char* name) {
  char value[MAX_PATH];
  DWORD n = GetEnvironmentVariableA(name, value, MAX_PATH);
  return (n > 0 && n < MAX_PATH) ? std::string(value, n) : std::string();
}

// Unattended when the tests say so; the boxes otherwise.
struct Dialogs {
  std::string answer = environment("VELMARO_UNINST_ANSWER");
  std::string reportFile = environment("VELMARO_UNINST_REPORT");

  bool unattended() const { return answer == "yes" || answer == "no"; }

  bool ask() const {
    if (unattended()) return answer == "yes";
    return MessageBoxA(nullptr, kQuestion, kCaption, MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
  }

  void tell(const std::string& text, bool warning) const {
    if (!unattended()) {
      MessageBoxA(nullptr, text.c_str(), kCaption,
                  MB_OK | MB_TASKMODAL | (warning ? MB_ICONWARNING : MB_ICONINFORMATION));
      return;
    }
    if (reportFile.empty()) return;
    HANDLE file = CreateFileA(reportFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string record = std::string(warning ? "warning" : "information") + "\r\n" + text + "\r\n";
    DWORD written = 0;
    WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
  }
};

std::string listOf(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) text += "\n" + path;
  return text;
}

int tellOutcome(const Dialogs& dialogs, const Outcome& outcome) {
  if (!outcome.failed.empty()) {
    dialogs.tell(std::string(kFailed) + listOf(outcome.failed) + "\n\n" + kRunAgain, true);
    return 1;
  }
  std::string text = kDone;
  if (!outcome.keptFolders.empty()) text += std::string("\n\n") + kKeptFolders + listOf(outcome.keptFolders);
  dialogs.tell(text, false);
  return 0;
}

std::string readAll(HANDLE pipe) {
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  return text;
}

// A handle value as the hex number the cleanup copy reads back.
std::string handleText(HANDLE handle) {
  static const char digits[] = "0123456789abcdef";
  ULONG_PTR value = reinterpret_cast<ULONG_PTR>(handle);
  std::string text;
  do {
    text.insert(text.begin(), digits[value & 15]);
    value >>= 4;
  } while (value);
  return text;
}

// Copies this program to a temporary file and starts that copy as the
// cleanup process. On success returns the pipe end its report arrives on.
HANDLE startCleanupCopy(const std::string& folder) {
  char tempFolder[MAX_PATH], copy[MAX_PATH];
  DWORD n = GetTempPathA(MAX_PATH, tempFolder);
  if (n == 0 || n >= MAX_PATH || !GetTempFileNameA(tempFolder, "vun", 0, copy)) return nullptr;
  if (!CopyFileA(ownFile().c_str(), copy, FALSE)) {
    DeleteFileA(copy);
    return nullptr;
  }
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  // Only DELETE access, shared for reading and deleting, so that the system
  // can still map the file as the copy's image.
  HANDLE copyFile = CreateFileA(copy, DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited, OPEN_EXISTING,
                                FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (copyFile == INVALID_HANDLE_VALUE) {
    DeleteFileA(copy);
    return nullptr;
  }
  HANDLE self = nullptr;
  DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0);
  HANDLE reportRead = nullptr, reportWrite = nullptr;
  CreatePipe(&reportRead, &reportWrite, &inherited, 0);
  if (reportRead) SetHandleInformation(reportRead, HANDLE_FLAG_INHERIT, 0);

  bool started = false;
  if (self && reportRead) {
    // The copy's own path cannot hold a quote nor end in a backslash, so
    // plain quotes suffice for it; the folder travels as hex digits.
    std::string commandLine = std::string("\"") + copy + "\" " + kCleanupSwitch + " " + handleText(self) + " " +
                              handleText(reportWrite) + " " + toHex(folder);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // The copy works in the temporary folder: a current directory inside
    // the product folder would keep that folder from being removed.
    started = CreateProcessA(copy, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, tempFolder, &startup,
                             &process) != 0;
    if (started) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
  // The copy holds its own duplicates now; without a copy these go, and the
  // temporary file with the last handle on it.
  if (self) CloseHandle(self);
  if (reportWrite) CloseHandle(reportWrite);
  CloseHandle(copyFile);
  if (!started && reportRead) {
    CloseHandle(reportRead);
    reportRead = nullptr;
  }
  return reportRead;
}

int runUninstaller() {
  Dialogs dialogs;
  if (!dialogs.ask()) return 0;
  std::string folder = ownFolder();
  HANDLE report = startCleanupCopy(folder);
  if (!report) {
    // No copy could be started: remove what can go while this program runs,
    // and say that uninst.exe stays.
    CoInitialize(nullptr);
    Outcome outcome = removeInstallation(folder);
    CoUninitialize();
    outcome.failed.push_back(joinPath(folder, kUninstallerFile));
    return tellOutcome(dialogs, outcome);
  }
  Outcome outcome = decodeOutcome(readAll(report));
  CloseHandle(report);
  if (!outcome.complete) outcome.failed.push_back(folder);  // the copy died on the way
  return tellOutcome(dialogs, outcome);
}

// The cleanup copy: `/velmaro-cleanup PARENT REPORT FOLDERHEX`.
int runCleanup(HANDLE parent, HANDLE report, const std::string& folder) {
  CoInitialize(nullptr);
  Outcome outcome = removeInstallation(folder);
  CoUninitialize();
  std::string text = encodeOutcome(outcome);
  DWORD written = 0;
  WriteFile(report, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(report);
  if (outcome.keepUninstaller) return 1;

  WaitForSingleObject(parent, INFINITE);
  CloseHandle(parent);
  Outcome late;
  removeUninstaller(folder, late);
  if (late.failed.empty()) return 0;
  // The first process has told its outcome already; this is news.
  Dialogs().tell(std::string(kFailed) + listOf(late.failed), true);
  return 1;
}

// The words of this program's command line after its own name. Only the
// cleanup switch, hex numbers and hex digits are ever passed, so splitting at
// spaces is enough.
std::vector<std::string> arguments() {
  const char* p = GetCommandLineA();
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  std::vector<std::string> words;
  while (*p) {
    while (*p == ' ' || *p == '\t') ++p;
    const char* start = p;
    while (*p && *p != ' ' && *p != '\t') ++p;
    if (p > start) words.emplace_back(start, p);
  }
  return words;
}

bool parseHandle(const std::string& word, HANDLE& handle) {
  char* end = nullptr;
  unsigned long long value = std::strtoull(word.c_str(), &end, 16);
  DWORD flags = 0;
  handle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value));
  return end && *end == '\0' && value != 0 && GetHandleInformation(handle, &flags);
}

}  // namespace

}  // namespace uninst

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace uninst;
  std::vector<std::string> words = arguments();
  if (words.size() == 4 && words[0] == kCleanupSwitch) {
    HANDLE parent = nullptr, report = nullptr;
    std::string folder;
    if (!parseHandle(words[1], parent) || !parseHandle(words[2], report) || !fromHex(words[3], folder) ||
        folder.empty()) {
      return 2;
    }
    return runCleanup(parent, report, folder);
  }
  return runUninstaller();
}
