// Whole installations on a real file system: the POSIX stand-in natively, the
// Windows shell operations under Wine. What a user finds on disk afterwards
// is what these check.
#include <gtest/gtest.h>

#include "core/install.h"
#include "support/files.h"
#include "support/real_shell.h"

namespace {

using testing_support::RealShell;

const char* const kNames[] = {"Velmaro考试系统.exe", "mini.dll", "配置文件.ini", "uninst.exe"};
const char* const kSources[] = {"exam", "database", "config", "uninstaller"};

class RealInstall : public ::testing::Test {
 protected:
  void SetUp() override {
    shell = testing_support::makeRealShell();
    desktop = shell->ops().specialFolder(platform::SpecialFolder::desktop);
    programs = shell->ops().specialFolder(platform::SpecialFolder::programs);
    ASSERT_FALSE(desktop.empty());
    ASSERT_FALSE(programs.empty());
    links = {desktop + "Velmaro考试系统.lnk", programs + "Velmaro考试系统\\Velmaro考试系统.lnk",
             programs + "Velmaro考试系统\\卸载.lnk"};
    removeShortcuts();
  }
  void TearDown() override {
    if (shell) removeShortcuts();
    core::releaseInstallDir();
  }
  // The user's folders are shared by every test under Wine.
  void removeShortcuts() {
    for (const std::string& link : links) shell->remove(link);
    shell->remove(programs + "Velmaro考试系统");
  }

  core::InstallReport install(const std::string& dir) {
    core::setInstallDir(dir);
    return core::runInstallation(shell->ops());
  }

  void expectInstalled(const std::string& dir) {
    for (int i = 0; i < 4; ++i) {
      std::string bytes;
      ASSERT_TRUE(shell->readFile(dir + kNames[i], bytes)) << kNames[i];
      EXPECT_TRUE(bytes == testing_support::payloadSource(kSources[i])) << kNames[i] << " is not byte-exact";
    }
    EXPECT_EQ(shell->hiddenSystemBits(dir + "mini.dll"), 0x2u);
    const std::string targets[] = {dir + kNames[0], dir + kNames[0], dir + kNames[3]};
    for (int i = 0; i < 3; ++i) {
      const testing_support::ShortcutInfo info = shell->readShortcut(links[i]);
      ASSERT_TRUE(info.readable) << links[i];
      EXPECT_EQ(info.target, targets[i]) << links[i];
      EXPECT_EQ(info.description, core::SHORTCUT_DESCRIPTION) << links[i];
      EXPECT_EQ(info.showCommand, 5) << links[i];
    }
  }

  std::unique_ptr<RealShell> shell;
  std::string desktop, programs;
  std::vector<std::string> links;
};

// Guards against an installation that leaves out a file, the hidden mark or a shortcut.
TEST_F(RealInstall, EmptyFolderGetsFourExactFilesAndThreeShortcuts) {
  const std::string dir = shell->scratch() + "Quorin软件";
  const core::InstallReport report = install(dir);
  ASSERT_TRUE(report.succeeded()) << core::describeReport(report);
  expectInstalled(dir + "\\");
}

// Guards against the default location failing on a fresh machine.
TEST_F(RealInstall, TwoMissingLevelsBelowAnExistingFolderInstall) {
  const std::string dir = shell->scratch() + "2017Velmaro\\Quorin软件\\";
  const core::InstallReport report = install(dir);
  ASSERT_TRUE(report.succeeded()) << core::describeReport(report);
  expectInstalled(dir);
}

// Guards against a reinstallation wiping the user's database or settings, or
// keeping an old program.
TEST_F(RealInstall, SecondRunKeepsDatabaseAndSettingsAndReplacesPrograms) {
  const std::string dir = shell->scratch() + "app\\";
  ASSERT_TRUE(install(dir).succeeded());
  ASSERT_TRUE(shell->setHiddenSystemBits(dir + "mini.dll", 0));
  ASSERT_TRUE(shell->writePlainFile(dir + "mini.dll", "the user's answers"));
  ASSERT_TRUE(shell->setHiddenSystemBits(dir + "mini.dll", 0x2));
  ASSERT_TRUE(shell->writePlainFile(dir + "配置文件.ini", "the user's settings"));
  ASSERT_TRUE(shell->writePlainFile(dir + "uninst.exe", "old"));
  ASSERT_TRUE(shell->writePlainFile(dir + "Velmaro考试系统.exe", "old"));

  const core::InstallReport report = install(dir);
  ASSERT_TRUE(report.succeeded()) << core::describeReport(report);
  std::string bytes;
  ASSERT_TRUE(shell->readFile(dir + "mini.dll", bytes));
  EXPECT_EQ(bytes, "the user's answers");
  EXPECT_EQ(shell->hiddenSystemBits(dir + "mini.dll"), 0x2u);
  ASSERT_TRUE(shell->readFile(dir + "配置文件.ini", bytes));
  EXPECT_EQ(bytes, "the user's settings");
  for (int i : {0, 3}) {
    ASSERT_TRUE(shell->readFile(dir + kNames[i], bytes));
    EXPECT_TRUE(bytes == testing_support::payloadSource(kSources[i])) << kNames[i] << " was not replaced";
  }
}

// Guards against a running program's file being replaced or the failure hidden.
TEST_F(RealInstall, ProgramHeldOpenIsNotReplacedAndIsReported) {
  const std::string dir = shell->scratch() + "app\\";
  ASSERT_TRUE(install(dir).succeeded());
  ASSERT_TRUE(shell->writePlainFile(dir + kNames[0], "running program"));
  ASSERT_TRUE(shell->holdOpen(dir + kNames[0]));
  const core::InstallReport report = install(dir);
  shell->releaseHold();
  ASSERT_FALSE(report.succeeded());
  EXPECT_EQ(report.firstFailure()->subject, dir + kNames[0]);
  EXPECT_EQ(report.firstFailure()->error, platform::err::sharingViolation);
  std::string bytes;
  ASSERT_TRUE(shell->readFile(dir + kNames[0], bytes));
  EXPECT_EQ(bytes, "running program");
  // Closing the program and trying again succeeds.
  EXPECT_TRUE(install(dir).succeeded());
}

// Guards against a folder that cannot be made being reported as success.
TEST_F(RealInstall, FolderThatCannotBeMadeNamesTheStepAndTheError) {
  ASSERT_TRUE(shell->writePlainFile(shell->scratch() + "blocker", "a file in the way"));
  struct Case {
    std::string dir, failing;
  } cases[] = {
      {shell->missingDrive() + "Apps\\Quorin软件", shell->missingDrive() + "Apps"},
      {shell->scratch() + "blocker\\Quorin软件", shell->scratch() + "blocker\\Quorin软件"},
  };
  for (const Case& c : cases) {
    const core::InstallReport report = install(c.dir);
    ASSERT_FALSE(report.succeeded()) << c.dir;
    const core::InstallStep* failure = report.firstFailure();
    EXPECT_EQ(failure->kind, core::StepKind::folder) << c.dir;
    EXPECT_EQ(failure->subject, c.failing);
    EXPECT_NE(failure->error, platform::err::none);
    EXPECT_FALSE(shell->readShortcut(links[0]).readable) << "no shortcut after a failed installation";
    const std::string text = core::describeReport(report);
    EXPECT_NE(text.find(c.failing), std::string::npos) << text;
  }
}

}  // namespace
