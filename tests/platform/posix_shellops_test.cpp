// The POSIX stand-in keeps the effects of the Windows shell operations, so
// that what the Linux tests show holds for the product.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "platform/shellops_posix.h"
#include "support/real_shell.h"

namespace {

using platform::ByteView;
using platform::err::accessDenied;
using platform::err::sharingViolation;

ByteView bytesOf(const std::string& s) {
  return ByteView{reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

class PosixShell : public ::testing::Test {
 protected:
  void SetUp() override { shell = testing_support::makeRealShell(); }
  platform::PosixShellOps& ops() { return static_cast<platform::PosixShellOps&>(shell->ops()); }
  std::unique_ptr<testing_support::RealShell> shell;
};

// Guards against Windows paths landing in the wrong Linux place, or
// forbidden names being accepted.
TEST_F(PosixShell, MapsWindowsPathsUnderTheRoot) {
  const std::string root = ops().hostPath("C:\\");
  ASSERT_FALSE(root.empty());
  const std::string base = root.substr(0, root.size() - 2);  // ".../c" less "/c"
  struct Case {
    std::string windows, host;  // host relative to the root; empty = refused
  } cases[] = {
      {"C:\\Program Files\\考试", u8"/c/Program Files/考试"},  // names are UTF-8 on disk
      {"d:/a\\b", "/d/a/b"},
      {"relative\\x", "/c/scratch/relative/x"},
      {"\\top", "/c/top"},
      {"C:\\a\\.\\b\\..\\c", "/c/a/c"},
      {"C:\\trailing. . \\x", "/c/trailing/x"},
      {"C:\\a<b", ""},
      {"C:\\a?b", ""},
      {"\\\\server\\share\\x", ""},
      {"C:\\" + std::string(300, 'a'), ""},
  };
  for (const Case& c : cases) {
    const std::string host = ops().hostPath(c.windows);
    EXPECT_EQ(host, c.host.empty() ? "" : base + c.host) << c.windows;
  }
}

// Guards against a one-level folder creation making parents, or succeeding twice.
TEST_F(PosixShell, CreateFolderMakesOneLevelOnly) {
  const std::string s = shell->scratch();
  EXPECT_EQ(ops().createFolder(s + "a\\b").error, platform::err::pathNotFound);
  EXPECT_FALSE(ops().fileExists(s + "a"));
  EXPECT_TRUE(ops().createFolder(s + "a").succeeded());
  EXPECT_EQ(ops().createFolder(s + "a").error, platform::err::alreadyExists);
  EXPECT_EQ(ops().createFolder("Q:\\x").error, platform::err::pathNotFound);
}

// Guards against protected, open or folder targets being replaced.
TEST_F(PosixShell, WriteFileRefusesWhatItMustKeep) {
  const std::string path = shell->scratch() + "mini.dll";
  struct Case {
    const char* what;
    unsigned bits;
    bool hold;
    std::uint32_t error;
  } cases[] = {
      {"hidden", 0x2, false, accessDenied},
      {"system", 0x4, false, accessDenied},
      {"held open", 0, true, sharingViolation},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(shell->writePlainFile(path, "earlier"));
    ASSERT_TRUE(shell->setHiddenSystemBits(path, c.bits));
    if (c.hold) {
      ASSERT_TRUE(shell->holdOpen(path));
    }
    EXPECT_EQ(ops().writeFile(path, bytesOf("new")).error, c.error) << c.what;
    shell->releaseHold();
    std::string bytes;
    ASSERT_TRUE(shell->readFile(path, bytes));
    EXPECT_EQ(bytes, "earlier") << c.what;
    ASSERT_TRUE(shell->setHiddenSystemBits(path, 0));
  }
  ASSERT_TRUE(ops().createFolder(shell->scratch() + "dir").succeeded());
  EXPECT_EQ(ops().writeFile(shell->scratch() + "dir", bytesOf("x")).error, platform::err::alreadyExists);
  EXPECT_FALSE(ops().writeFile("", bytesOf("x")).succeeded());
}

// Guards against a torn file after a write that fails part-way (the file-size
// limit makes the system refuse the write after 1 KiB, as a full disk would).
TEST_F(PosixShell, FailedWriteLeavesTheEarlierFileAndNoTemporary) {
  const std::string path = shell->scratch() + "uninst.exe";
  ASSERT_TRUE(shell->writePlainFile(path, "earlier"));
  const std::string big(64 * 1024, '\x5c');

  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 1024;
  auto previous = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const platform::ShellStatus status = ops().writeFile(path, bytesOf(big));
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);

  EXPECT_EQ(status.error, platform::err::diskFull);
  std::string bytes;
  ASSERT_TRUE(shell->readFile(path, bytes));
  EXPECT_EQ(bytes, "earlier");
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(ops().hostPath(shell->scratch()))) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1) << "a temporary file was left behind";
}

// Guards against binary payloads being altered, and empty ones refused.
TEST_F(PosixShell, WriteFileIsByteExactAndTakesAnEmptyBlock) {
  const std::string path = shell->scratch() + "data";
  const std::string binary("\x00\x1a\r\n\x5c\xff\x80", 7);
  for (const std::string& content : {binary, std::string()}) {
    ASSERT_TRUE(ops().writeFile(path, bytesOf(content)).succeeded());
    std::string bytes;
    ASSERT_TRUE(shell->readFile(path, bytes));
    EXPECT_EQ(bytes, content);
  }
}

// Guards against hidden not replacing the other attributes.
TEST_F(PosixShell, SetHiddenLeavesHiddenAlone) {
  const std::string path = shell->scratch() + "f";
  ASSERT_TRUE(shell->writePlainFile(path, "x"));
  ASSERT_TRUE(platform::writeDosAttributes(ops().hostPath(path), 0x1 | 0x4));
  ASSERT_TRUE(ops().setHidden(path).succeeded());
  EXPECT_EQ(platform::readDosAttributes(ops().hostPath(path)), 0x2u);
  EXPECT_EQ(ops().setHidden(shell->scratch() + "missing").error, platform::err::fileNotFound);
}

// Guards against shortcuts saved under the wrong name.
TEST_F(PosixShell, ShortcutNamesFollowTheDotRule) {
  const std::string s = shell->scratch();
  ASSERT_TRUE(ops().createFolder(s + "v1.2").succeeded());
  struct Case {
    std::string link, saved;
  } cases[] = {
      {s + "v1.2\\Velmaro考试系统", s + "v1.2\\Velmaro考试系统.lnk"},
      {s + "卸载.lnk", s + "卸载.lnk"},
      {s + "read.me", s + "read.me"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::shortcutFileName(c.link), c.saved);
    ASSERT_TRUE(ops().createShortcut(c.link, "C:\\目标.exe", "说明").succeeded());
    const testing_support::ShortcutInfo info = shell->readShortcut(c.saved);
    EXPECT_TRUE(info.readable) << c.saved;
    EXPECT_EQ(info.target, "C:\\目标.exe");
    EXPECT_EQ(info.description, "说明");
  }
  EXPECT_EQ(ops().createShortcut(s + "nofolder\\x", "C:\\t.exe", "").error, platform::err::pathNotFound);
}

// Guards against a command line that names no program counting as started,
// and against an unquoted path finding the wrong program.
TEST_F(PosixShell, RunAndWaitFindsTheProgramAsTheSystemDoes) {
  const std::string s = shell->scratch();
  ASSERT_TRUE(ops().createFolder(s + "Program Files").succeeded());
  ASSERT_TRUE(shell->writePlainFile(s + "Program Files\\app.exe", "MZ"));
  EXPECT_TRUE(ops().runAndWait(s + "Program Files\\app.exe").succeeded());
  EXPECT_TRUE(ops().runAndWait("\"" + s + "Program Files\\app\" /x").succeeded());
  EXPECT_EQ(ops().runAndWait(s + "nothing.exe").error, platform::err::fileNotFound);
  EXPECT_EQ(ops().runAndWait("").error, platform::err::fileNotFound);
  // The unquoted form tries "C:\scratch\Program.exe" first.
  ASSERT_TRUE(shell->writePlainFile(s + "Program.exe", "planted"));
  ops().runScript = nullptr;
  EXPECT_TRUE(ops().runAndWait(s + "Program Files\\missing.exe").succeeded());
}

// Guards against scripted dialogs answering out of order.
TEST_F(PosixShell, DialogsAnswerFromTheirScripts) {
  ops().yesNoAnswers = {true};
  ops().browseAnswers = {"D:\\"};
  EXPECT_TRUE(ops().askYesNo(nullptr, "q", "c"));
  EXPECT_FALSE(ops().askYesNo(nullptr, "q", "c")) << "unanswered means No";
  EXPECT_EQ(ops().browseForFolder("t", {}), "D:\\");
  EXPECT_EQ(ops().browseForFolder("t", {}), "") << "unanswered means cancel";
  EXPECT_EQ(ops().calls, (std::vector<std::string>{"askYesNo:q", "askYesNo:q", "browse:t", "browse:t"}));
}

}  // namespace
