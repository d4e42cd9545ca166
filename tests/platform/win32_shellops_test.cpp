// Win32ShellOps against the real shell and file system (under Wine here):
// each case in a fresh scratch folder of the real shell fixture, the results
// looked at through the Win32 API.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/shellops.h"
#include "platform/shellops_win32.h"
#include "support/real_shell.h"

namespace {

using platform::ByteView;
using platform::ShellStatus;
using platform::SpecialFolder;
namespace err = platform::err;

ByteView view(const std::string& bytes) {
  return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

// The names in `folder` (trailing backslash), sorted, without "." and "..".
std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

using Names = std::vector<std::string>;

unsigned long long nowMs() { return GetTickCount64(); }

// The sleeper child program, built next to this test program.
std::string sleeperPath() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  path.erase(path.find_last_of('\\') + 1);
  return path + VELMARO_SLEEPER_NAME;
}

// Runs the current directory somewhere else for one test.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::string& folder) {
    GetCurrentDirectoryA(MAX_PATH, saved_);
    SetCurrentDirectoryA(folder.c_str());
  }
  ~CurrentDirectory() { SetCurrentDirectoryA(saved_); }

 private:
  char saved_[MAX_PATH] = {};
};

class Win32ShellOpsTest : public ::testing::Test {
 protected:
  std::unique_ptr<testing_support::RealShell> shell = testing_support::makeRealShell();
  platform::ShellOps& ops = shell->ops();
  const std::string dir = shell->scratch();

  std::string contentOf(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(shell->readFile(path, bytes)) << path;
    return bytes;
  }
};

// --- fileExists and createFolder ------------------------------------------------

// Guards: the installation skipping (or repeating) the folder step because it
// misjudges whether the install folder is there.
TEST_F(Win32ShellOpsTest, FileExistsSeesFilesAndFoldersOnly) {
  ASSERT_TRUE(shell->writePlainFile(dir + "file.bin", "x"));
  ASSERT_TRUE(CreateDirectoryA((dir + "folder").c_str(), nullptr));
  const struct {
    std::string path;
    bool exists;
  } cases[] = {
      {dir + "file.bin", true},    {dir + "folder", true},  {dir + "folder\\", true},
      {dir + "missing", false},    {dir + "missing\\x", false},
      {shell->missingDrive() + "x", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ops.fileExists(c.path), c.exists) << c.path;
}

// Guards: an install into a folder two levels down silently making the
// missing parent, or reporting a folder as made when nothing was.
TEST_F(Win32ShellOpsTest, CreateFolderMakesOneLevelOnly) {
  const ShellStatus nested = ops.createFolder(dir + "parent\\child");
  EXPECT_FALSE(nested);
  EXPECT_EQ(nested.error, err::pathNotFound);
  EXPECT_EQ(entries(dir), Names{});

  EXPECT_TRUE(ops.createFolder(dir + "parent"));
  EXPECT_TRUE(ops.createFolder(dir + "parent\\子文件夹"));
  EXPECT_TRUE(shell->isFolder(dir + "parent\\子文件夹"));
}

// Guards: a second install into the same folder reading as a fresh creation.
TEST_F(Win32ShellOpsTest, CreateFolderOnExistingFolderIsAlreadyExists) {
  ASSERT_TRUE(ops.createFolder(dir + "Quorin软件"));
  EXPECT_EQ(ops.createFolder(dir + "Quorin软件").error, err::alreadyExists);
  EXPECT_TRUE(shell->isFolder(dir + "Quorin软件"));
}

// --- writeFile: what it writes ---------------------------------------------------

// Every byte value that text-mode or string handling would mangle.
constexpr char kBinaryBytes[] = "MZ\x00\x01\x1A\r\n\\\x5C\xFF\x80\n\r\x00" "end";
const std::string kBinary(kBinaryBytes, sizeof kBinaryBytes - 1);

// Guards: an installed program or database corrupted (text-mode translation,
// a stop at a NUL or ^Z, an old longer file's tail left behind) or a stray
// temporary file left in the install folder.
TEST_F(Win32ShellOpsTest, WriteFileGivesExactlyTheNewBytes) {
  const struct {
    const char* what;
    bool earlier;
    std::string earlierBytes;
    std::string bytes;
  } cases[] = {
      {"new file", false, "", kBinary},
      {"replaces a longer file", true, std::string(5000, 'o'), kBinary},
      {"replaces a shorter file", true, "old", kBinary + kBinary},
      {"empty block on a new file", false, "", ""},
      {"empty block empties a file", true, kBinary, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string target = dir + "Velmaro考试系统.exe";
    if (c.earlier) {
      ASSERT_TRUE(shell->writePlainFile(target, c.earlierBytes));
    }
    EXPECT_TRUE(ops.writeFile(target, view(c.bytes)));
    EXPECT_EQ(contentOf(target), c.bytes);
    EXPECT_EQ(entries(dir), Names{"Velmaro考试系统.exe"});
    ASSERT_TRUE(shell->remove(target));
  }
}

// Guards: the multi-megabyte payloads losing or repeating a part where one
// write call ends and the next begins.
TEST_F(Win32ShellOpsTest, WriteFileKeepsLargePayloadsWhole) {
  std::string bytes(5 * 1024 * 1024 + 7, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131) ^ (i >> 11));
  ASSERT_TRUE(ops.writeFile(dir + "mini.dll", view(bytes)));
  EXPECT_TRUE(contentOf(dir + "mini.dll") == bytes);
  EXPECT_EQ(entries(dir), Names{"mini.dll"});
}

// Guards: a name without a folder writing its temporary file (or the file
// itself) somewhere other than the current directory.
TEST_F(Win32ShellOpsTest, WriteFileOfBareNameGoesToCurrentDirectory) {
  CurrentDirectory here(dir);
  EXPECT_TRUE(ops.writeFile("配置文件.ini", view(kBinary)));
  EXPECT_EQ(contentOf(dir + "配置文件.ini"), kBinary);
  EXPECT_EQ(entries(dir), Names{"配置文件.ini"});
}

// --- writeFile: what it refuses ------------------------------------------------------

// Guards: an empty target name writing some file after all (in the current
// directory) instead of failing.
TEST_F(Win32ShellOpsTest, WriteFileWithEmptyPathTouchesNothing) {
  CurrentDirectory here(dir);
  const ShellStatus status = ops.writeFile("", view(kBinary));
  EXPECT_EQ(status.error, err::invalidName);
  EXPECT_EQ(entries(dir), Names{});
}

// Guards: reinstalling over the hidden database (or a system or read-only
// file, or a folder of that name) replacing it, or failing but leaving its
// content or attributes changed.
TEST_F(Win32ShellOpsTest, WriteFileRefusesProtectedTargetsAndKeepsThem) {
  constexpr char kEarlier[] = "earlier\0database\x1A";
  const std::string earlier(kEarlier, sizeof kEarlier - 1);
  const struct {
    const char* what;
    DWORD attributes;
    std::uint32_t error;
  } cases[] = {
      {"hidden", FILE_ATTRIBUTE_HIDDEN, err::accessDenied},
      {"system", FILE_ATTRIBUTE_SYSTEM, err::accessDenied},
      {"hidden and system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, err::accessDenied},
      {"read-only", FILE_ATTRIBUTE_READONLY, err::accessDenied},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string target = dir + "mini.dll";
    ASSERT_TRUE(shell->writePlainFile(target, earlier));
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), c.attributes));
    const DWORD before = GetFileAttributesA(target.c_str());

    const ShellStatus status = ops.writeFile(target, view(kBinary));
    EXPECT_EQ(status.error, c.error);
    EXPECT_EQ(contentOf(target), earlier);
    EXPECT_EQ(GetFileAttributesA(target.c_str()), before);
    EXPECT_EQ(entries(dir), Names{"mini.dll"});

    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(shell->remove(target));
  }
}

// Guards: a folder that has the payload's name being reported as written.
TEST_F(Win32ShellOpsTest, WriteFileOntoFolderIsAlreadyExists) {
  ASSERT_TRUE(CreateDirectoryA((dir + "uninst.exe").c_str(), nullptr));
  EXPECT_EQ(ops.writeFile(dir + "uninst.exe", view(kBinary)).error, err::alreadyExists);
  EXPECT_TRUE(shell->isFolder(dir + "uninst.exe"));
  EXPECT_EQ(entries(dir), Names{"uninst.exe"});
}

// Guards: a file another program holds open being replaced under it, or the
// refusal reading as "access denied" so the user is not told it is in use.
TEST_F(Win32ShellOpsTest, WriteFileRefusesFileHeldOpen) {
  const std::string target = dir + "mini.dll";
  ASSERT_TRUE(shell->writePlainFile(target, "held"));
  ASSERT_TRUE(shell->holdOpen(target));
  EXPECT_EQ(ops.writeFile(target, view(kBinary)).error, err::sharingViolation);
  shell->releaseHold();
  EXPECT_EQ(contentOf(target), "held");
  EXPECT_EQ(entries(dir), Names{"mini.dll"});
}

// A copy of the sleeper running from the scratch folder; stopped at the end.
class RunningProgram {
 public:
  explicit RunningProgram(const std::string& exe) {
    const std::string line = "\"" + exe + "\" 20000";
    std::vector<char> command(line.begin(), line.end());
    command.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process_) != 0;
  }
  ~RunningProgram() {
    if (!started_) return;
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  bool started() const { return started_; }

 private:
  bool started_ = false;
  PROCESS_INFORMATION process_ = {};
};

// Guards: reinstalling while the exam program runs replacing its executable
// under it.
TEST_F(Win32ShellOpsTest, WriteFileRefusesRunningProgram) {
  const std::string target = dir + "Velmaro考试系统.exe";
  ASSERT_TRUE(CopyFileA(sleeperPath().c_str(), target.c_str(), FALSE)) << sleeperPath();
  const std::string earlier = contentOf(target);
  RunningProgram running(target);
  ASSERT_TRUE(running.started());
  // The image is mapped once the process has started; wait until it shows.
  for (int i = 0; i < 100; ++i) {
    HANDLE h = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) break;
    CloseHandle(h);
    Sleep(20);
  }
  EXPECT_EQ(ops.writeFile(target, view(kBinary)).error, err::sharingViolation);
  EXPECT_TRUE(contentOf(target) == earlier);
  EXPECT_EQ(entries(dir), Names{"Velmaro考试系统.exe"});
}

// Guards: a write into a folder that could not be made reporting success, or
// leaving a temporary file behind in some other folder.
TEST_F(Win32ShellOpsTest, WriteFileIntoMissingFolderFailsAndLeavesNothing) {
  const std::string targets[] = {dir + "missing\\mini.dll", dir + "a\\b\\mini.dll",
                                 shell->missingDrive() + "mini.dll"};
  for (const std::string& target : targets) {
    const ShellStatus status = ops.writeFile(target, view(kBinary));
    EXPECT_FALSE(status) << target;
    EXPECT_FALSE(ops.fileExists(target)) << target;
  }
  EXPECT_EQ(entries(dir), Names{});
}

// Guards: a write that breaks off half-way leaving the earlier file cut
// short or mixed with new bytes, or its temporary file in the install folder.
// The break is real: the bytes run into a page that cannot be read, so the
// system refuses the write call that reaches it.
TEST_F(Win32ShellOpsTest, WriteFileFailingMidwayKeepsEarlierFile) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const std::size_t readable = 3 * 1024 * 1024, page = system.dwPageSize;
  char* block = static_cast<char*>(
      VirtualAlloc(nullptr, readable + page, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(block, nullptr);
  ASSERT_NE(VirtualAlloc(block, readable, MEM_COMMIT, PAGE_READWRITE), nullptr);
  std::fill(block, block + readable, 'n');
  const ByteView broken{reinterpret_cast<const unsigned char*>(block), readable + page};

  const std::string target = dir + "mini.dll";
  ASSERT_TRUE(shell->writePlainFile(target, "earlier"));
  EXPECT_FALSE(ops.writeFile(target, broken));
  EXPECT_EQ(contentOf(target), "earlier");
  EXPECT_EQ(entries(dir), Names{"mini.dll"});

  EXPECT_FALSE(ops.writeFile(dir + "new.bin", broken));
  EXPECT_EQ(entries(dir), Names{"mini.dll"});
  VirtualFree(block, 0, MEM_RELEASE);
}

// --- setHidden ----------------------------------------------------------------------

// Guards: the database left visible, or left read-only or system so that the
// next installation cannot replace it.
TEST_F(Win32ShellOpsTest, SetHiddenLeavesHiddenAlone) {
  const DWORD starts[] = {
      FILE_ATTRIBUTE_NORMAL,
      FILE_ATTRIBUTE_READONLY,
      FILE_ATTRIBUTE_SYSTEM,
      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE,
      FILE_ATTRIBUTE_HIDDEN,
  };
  const std::string target = dir + "mini.dll";
  ASSERT_TRUE(shell->writePlainFile(target, "db"));
  for (DWORD start : starts) {
    SCOPED_TRACE(start);
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), start));
    EXPECT_TRUE(ops.setHidden(target));
    const DWORD now = GetFileAttributesA(target.c_str());
    EXPECT_TRUE(now & FILE_ATTRIBUTE_HIDDEN);
    // Wine keeps archive beside hidden, so archive is not looked at.
    EXPECT_FALSE(now & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(contentOf(target), "db");
  }
}

// Guards: hiding a database that was never written reading as success.
TEST_F(Win32ShellOpsTest, SetHiddenOnMissingFileFails) {
  EXPECT_EQ(ops.setHidden(dir + "mini.dll").error, err::fileNotFound);
  EXPECT_EQ(entries(dir), Names{});
}

// --- specialFolder --------------------------------------------------------------------

// Guards: shortcut names joined onto a folder without a separator
// ("...\DesktopVelmaro.lnk"), or onto a folder that is not there.
TEST_F(Win32ShellOpsTest, SpecialFoldersEndInBackslashAndExist) {
  for (SpecialFolder kind : {SpecialFolder::desktop, SpecialFolder::programs}) {
    const std::string path = ops.specialFolder(kind);
    SCOPED_TRACE(path);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.back(), '\\');
    EXPECT_EQ(path.find("\\\\"), std::string::npos);
    EXPECT_TRUE(shell->isFolder(path));
  }
}

// --- createShortcut ----------------------------------------------------------------------

// Guards: a shortcut saved without ".lnk" (not a shortcut to the shell) or
// with a doubled one, when a folder in the path or a GBK character in the
// name contains the bytes of "." or "\".
TEST(ShortcutFileName, AppendsLnkOnlyWhenLastPartHasNoDot) {
  const struct {
    std::string link;
    std::string file;
  } cases[] = {
      {"C:\\Desktop\\Velmaro考试系统", "C:\\Desktop\\Velmaro考试系统.lnk"},
      {"C:\\a.b\\卸载", "C:\\a.b\\卸载.lnk"},
      {"C:\\a.b\\c.d\\x", "C:\\a.b\\c.d\\x.lnk"},
      {"C:\\Desktop\\x.lnk", "C:\\Desktop\\x.lnk"},
      {"C:\\Desktop\\v3.0", "C:\\Desktop\\v3.0"},
      {"卸载", "卸载.lnk"},
      {"", ".lnk"},
      // 俓 ends in the byte 0x5C: it is not a separator, so "a.b俓c" is one
      // part with a dot.
      {"C:\\d\\a.b俓c", "C:\\d\\a.b俓c"},
      {"C:\\d.e\\俓c", "C:\\d.e\\俓c.lnk"},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::shortcutFileName(c.link), c.file) << c.link;
}

const char* const kNotice = "版权所有 (C) Quorin软件 保留所有权利";

// Guards: desktop and start-menu shortcuts saved under the wrong name, or
// pointing elsewhere, without the notice, or opening the program minimised;
// and Chinese names garbled on the way through UTF-16.
TEST_F(Win32ShellOpsTest, ShortcutIsSavedUnderItsNameAndReadsBack) {
  ASSERT_EQ(GetACP(), 936u) << "Chinese names round-trip only in code page 936";
  const std::string target = dir + "Velmaro考试系统.exe";
  ASSERT_TRUE(shell->writePlainFile(target, "MZ"));
  ASSERT_TRUE(CreateDirectoryA((dir + "组.v2").c_str(), nullptr));
  const struct {
    std::string link;
    std::string saved;
  } cases[] = {
      {"Velmaro考试系统", "Velmaro考试系统.lnk"},
      {"组.v2\\卸载", "组.v2\\卸载.lnk"},
      {"组.v2\\named.lnk", "组.v2\\named.lnk"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.link);
    EXPECT_TRUE(ops.createShortcut(dir + c.link, target, kNotice));
    const testing_support::ShortcutInfo info = shell->readShortcut(dir + c.saved);
    ASSERT_TRUE(info.readable);
    EXPECT_EQ(info.target, target);
    EXPECT_EQ(info.description, kNotice);
    EXPECT_EQ(info.showCommand, SW_SHOW);
  }
  EXPECT_EQ(entries(dir), (Names{"Velmaro考试系统.exe", "Velmaro考试系统.lnk", "组.v2"}));
  EXPECT_EQ(entries(dir + "组.v2\\"), (Names{"named.lnk", "卸载.lnk"}));
}

// Guards: a reinstall leaving the old shortcut (to the old place) in place.
TEST_F(Win32ShellOpsTest, ShortcutOverwritesEarlierLink) {
  ASSERT_TRUE(shell->writePlainFile(dir + "old.exe", "MZ"));
  ASSERT_TRUE(shell->writePlainFile(dir + "uninst.exe", "MZ"));
  ASSERT_TRUE(ops.createShortcut(dir + "卸载", dir + "old.exe", kNotice));
  ASSERT_TRUE(ops.createShortcut(dir + "卸载", dir + "uninst.exe", kNotice));
  EXPECT_EQ(shell->readShortcut(dir + "卸载.lnk").target, dir + "uninst.exe");
}

// Guards: a shortcut into a start-menu group that could not be made reading
// as saved.
TEST_F(Win32ShellOpsTest, ShortcutIntoMissingFolderFails) {
  ASSERT_TRUE(shell->writePlainFile(dir + "uninst.exe", "MZ"));
  const ShellStatus status = ops.createShortcut(dir + "missing\\卸载", dir + "uninst.exe", kNotice);
  EXPECT_FALSE(status);
  EXPECT_FALSE(platform::describeError(status.error).empty());
  EXPECT_EQ(entries(dir), Names{"uninst.exe"});
}

// --- runAndWait -------------------------------------------------------------------------------

// Guards: the finish button hanging, or ending the installer as if the
// program had run, when the installed program cannot be started.
TEST_F(Win32ShellOpsTest, RunAndWaitWithoutProgramFailsAtOnce) {
  const std::string commands[] = {
      "",
      "velmaro-no-such-program-7f3a.exe",
      "\"" + dir + "missing\\Velmaro考试系统.exe\" /x",
      shell->missingDrive() + "Velmaro考试系统.exe",
  };
  for (const std::string& command : commands) {
    const unsigned long long start = nowMs();
    const ShellStatus status = ops.runAndWait(command);
    EXPECT_FALSE(status) << command;
    EXPECT_LT(nowMs() - start, 5000u) << command;
  }
}

// Guards: the installer ending while the started program still runs, or
// running it somewhere other than the installer's current directory.
TEST_F(Win32ShellOpsTest, RunAndWaitReturnsOnlyAfterProgramEnded) {
  const unsigned delayMs = 700;
  const struct {
    const char* what;
    std::string marker;  // as passed to the child
    std::string where;   // where it must appear
  } cases[] = {
      {"absolute marker", dir + "done-1", dir + "done-1"},
      {"relative to the current directory", "done-2", dir + "done-2"},
  };
  CurrentDirectory here(dir);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string command =
        "\"" + sleeperPath() + "\" " + std::to_string(delayMs) + " \"" + c.marker + "\"";
    const unsigned long long start = nowMs();
    EXPECT_TRUE(ops.runAndWait(command)) << command;
    EXPECT_GE(nowMs() - start, delayMs);
    EXPECT_TRUE(ops.fileExists(c.where));
  }
}

// --- askYesNo and browseForFolder -------------------------------------------------------------

// Finds, from a second thread, the first dialog of `thread` and hands it to
// `act`; gives up after ten seconds.
class DialogDriver {
 public:
  template <class Act>
  DialogDriver(DWORD thread, Act act)
      : worker_([this, thread, act] {
          for (int i = 0; i < 500 && !found_; ++i) {
            EnumThreadWindows(thread, &DialogDriver::check, reinterpret_cast<LPARAM>(this));
            if (!found_) Sleep(20);
          }
          if (found_) act(found_);
        }) {}
  ~DialogDriver() { join(); }
  void join() {
    if (worker_.joinable()) worker_.join();
  }
  bool found() const { return found_ != nullptr; }

 private:
  static BOOL CALLBACK check(HWND window, LPARAM self) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && IsWindowVisible(window)) {
      reinterpret_cast<DialogDriver*>(self)->found_ = window;
      return FALSE;
    }
    return TRUE;
  }
  std::atomic<HWND> found_{nullptr};
  std::thread worker_;
};

HWND makeWindow(const char* title) {
  return CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Guards: the abort question not appearing once its window has been closed
// (a dead owner), or the answer read the wrong way round.
TEST(Win32AskYesNo, AsksWithLiveOrNoOwnerAndReportsTheAnswer) {
  HWND alive = makeWindow("窗口_进度");
  HWND dead = makeWindow("窗口_欢迎");
  ASSERT_TRUE(alive && dead);
  DestroyWindow(dead);
  const struct {
    const char* what;
    HWND owner;
    HWND expectedOwner;
    int answer;
    bool result;
  } cases[] = {
      {"live owner, yes", alive, alive, IDYES, true},
      {"live owner, no", alive, alive, IDNO, false},
      {"closed owner, yes", dead, nullptr, IDYES, true},
      {"no owner, no", nullptr, nullptr, IDNO, false},
  };
  platform::Win32ShellOps ops;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::atomic<HWND> owner{reinterpret_cast<HWND>(-1)};
    DialogDriver driver(GetCurrentThreadId(), [&](HWND box) {
      owner = GetWindow(box, GW_OWNER);
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(c.answer, BN_CLICKED), 0);
    });
    const bool result = ops.askYesNo(c.owner, "确定要退出安装吗？", "退出");
    driver.join();
    ASSERT_TRUE(driver.found());
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(owner.load(), c.expectedOwner);
  }
  DestroyWindow(alive);
}

// Guards: cancelling the folder browser leaving the welcome window disabled
// (or enabling one that was disabled before), or returning a path.
TEST(Win32BrowseForFolder, CancelGivesEmptyAndRestoresEachWindow) {
  HWND enabled = makeWindow("窗口_欢迎");
  HWND disabled = makeWindow("窗口_协议");
  ASSERT_TRUE(enabled && disabled);
  EnableWindow(disabled, FALSE);
  std::atomic<bool> enabledWhileOpen{true}, disabledWhileOpen{true};
  platform::Win32ShellOps ops;

  DialogDriver driver(GetCurrentThreadId(), [&](HWND browser) {
    enabledWhileOpen = IsWindowEnabled(enabled) != 0;
    disabledWhileOpen = IsWindowEnabled(disabled) != 0;
    PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
  const std::string result = ops.browseForFolder("请选择安装目录", {enabled, disabled});
  driver.join();
  ASSERT_TRUE(driver.found());
  EXPECT_EQ(result, "");
  EXPECT_FALSE(enabledWhileOpen);
  EXPECT_FALSE(disabledWhileOpen);
  EXPECT_TRUE(IsWindowEnabled(enabled));
  EXPECT_FALSE(IsWindowEnabled(disabled));
  DestroyWindow(enabled);
  DestroyWindow(disabled);
}

// --- describeError ---------------------------------------------------------------------------

// Guards: a failure reported to the user with an empty or broken-off text.
TEST(Win32DescribeError, GivesTheSystemTextOrTheNumber) {
  for (std::uint32_t code : {err::fileNotFound, err::pathNotFound, err::accessDenied,
                             err::sharingViolation, err::alreadyExists}) {
    const std::string text = platform::describeError(code);
    SCOPED_TRACE(code);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text, "错误 " + std::to_string(code));  // the system's own text
  }
  const std::uint32_t unknown = 0x2FFF1234;
  EXPECT_EQ(platform::describeError(unknown), "错误 " + std::to_string(unknown));
}

}  // namespace
