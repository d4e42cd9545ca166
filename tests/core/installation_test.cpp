// The installation routine against the recording fake: what it writes, in
// which order, what it keeps, and that a failure is never reported as success.
#include <gtest/gtest.h>

#include "core/install.h"
#include "support/fake_shell.h"
#include "support/files.h"

namespace {

using core::StepKind;
using core::StepOutcome;
using testing_support::FakeShell;

const std::string kExe = "Velmaro考试系统.exe";
const std::string kDb = "mini.dll";
const std::string kIni = "配置文件.ini";
const std::string kUninst = "uninst.exe";

std::string content(int index) {
  const platform::ByteView v = core::payloadTable()[index].content;
  return std::string(reinterpret_cast<const char*>(v.data), v.size);
}

class Installation : public ::testing::Test {
 protected:
  void SetUp() override { core::releaseInstallDir(); }
  void TearDown() override { core::releaseInstallDir(); }

  core::InstallReport install(const std::string& dir) {
    core::setInstallDir(dir);
    return core::runInstallation(shell);
  }

  void expectShortcuts(const std::string& dir) {
    const std::string program = dir + kExe;
    struct Case {
      std::string link, target;
    } cases[] = {
        {shell.desktop + "Velmaro考试系统.lnk", program},
        {shell.programs + "Velmaro考试系统\\Velmaro考试系统.lnk", program},
        {shell.programs + "Velmaro考试系统\\卸载.lnk", dir + kUninst},
    };
    for (const Case& c : cases) {
      const FakeShell::Entry* e = shell.find(c.link);
      ASSERT_NE(e, nullptr) << c.link;
      EXPECT_EQ(e->target, c.target);
      EXPECT_EQ(e->description, core::SHORTCUT_DESCRIPTION);
    }
  }

  FakeShell shell;
};

// Guards against the embedded records losing or changing bytes on the way.
TEST(PayloadTable, HoldsTheFourFilesInOrderWithTheirPolicies) {
  const core::Payload* t = core::payloadTable();
  const char* sources[] = {"exam", "database", "config", "uninstaller"};
  const std::string names[] = {kExe, kDb, kIni, kUninst};
  const core::PayloadPolicy policies[] = {core::PayloadPolicy::always,
                                          core::PayloadPolicy::alwaysThenHide,
                                          core::PayloadPolicy::onlyIfAbsent,
                                          core::PayloadPolicy::always};
  for (int i = 0; i < core::kPayloadCount; ++i) {
    EXPECT_EQ(t[i].targetName, names[i]);
    EXPECT_EQ(t[i].policy, policies[i]);
    const std::string source = testing_support::payloadSource(sources[i]);
    ASSERT_FALSE(source.empty()) << sources[i];
    EXPECT_TRUE(content(i) == source) << sources[i] << " differs from its build input";
  }
}

// Guards against a fresh installation missing a file, the hidden mark or a shortcut.
TEST_F(Installation, FreshFolderUnderAnExistingParentGetsEverything) {
  shell.addFolderPath("D:\\Games");
  const core::InstallReport report = install("D:\\Games\\Quorin软件");
  ASSERT_TRUE(report.succeeded()) << core::describeReport(report);
  const std::string dir = "D:\\Games\\Quorin软件\\";
  EXPECT_EQ(core::installDir(), dir);
  const std::string names[] = {kExe, kDb, kIni, kUninst};
  for (int i = 0; i < 4; ++i) {
    const FakeShell::Entry* e = shell.find(dir + names[i]);
    ASSERT_NE(e, nullptr) << names[i];
    EXPECT_TRUE(e->bytes == content(i)) << names[i];
  }
  EXPECT_EQ(shell.find(dir + kDb)->attributes, 0x2u);
  expectShortcuts(dir);
  // The files are written in the shipped order, the database hidden right after it.
  EXPECT_EQ(shell.logOf("writeFile"),
            (std::vector<std::string>{dir + kExe, dir + kDb, dir + kIni, dir + kUninst}));
  EXPECT_EQ(core::describeReport(report), "安装完成。");
}

// Guards against the default folder failing on a fresh machine (two missing levels).
TEST_F(Installation, CreatesEveryMissingLevel) {
  shell.addFolderPath("C:\\Program Files");
  const core::InstallReport report = install("C:\\Program Files\\2017Velmaro\\Quorin软件");
  ASSERT_TRUE(report.succeeded()) << core::describeReport(report);
  EXPECT_EQ(shell.logOf("createFolder"),
            (std::vector<std::string>{"C:\\Program Files\\2017Velmaro",
                                      "C:\\Program Files\\2017Velmaro\\Quorin软件",
                                      shell.programs + "Velmaro考试系统"}));
  EXPECT_NE(shell.find("C:\\Program Files\\2017Velmaro\\Quorin软件\\" + kExe), nullptr);
}

// Guards against a missing drive or refused folder being reported as success.
TEST_F(Installation, AFolderThatCannotBeMadeStopsBeforeAnyFile) {
  struct Case {
    std::string dir;
    std::string failingLevel;
    std::uint32_t error;
  } cases[] = {
      {"Q:\\Apps\\Quorin软件", "Q:\\Apps", platform::err::pathNotFound},  // no drive Q:
      {"D:\\Locked\\Quorin软件", "D:\\Locked", platform::err::accessDenied},
  };
  for (const Case& c : cases) {
    FakeShell fresh;
    fresh.failures["createFolder:D:\\Locked"] = platform::err::accessDenied;
    core::setInstallDir(c.dir);
    const core::InstallReport report = core::runInstallation(fresh);
    EXPECT_FALSE(report.succeeded());
    const core::InstallStep* failure = report.firstFailure();
    ASSERT_NE(failure, nullptr);
    EXPECT_EQ(failure->kind, StepKind::folder);
    EXPECT_EQ(failure->subject, c.failingLevel);
    EXPECT_EQ(failure->error, c.error);
    EXPECT_TRUE(fresh.logOf("writeFile").empty());
    EXPECT_TRUE(fresh.logOf("createShortcut").empty()) << "no shortcut to files that are not there";
    const std::string text = core::describeReport(report);
    EXPECT_NE(text.find(c.failingLevel), std::string::npos) << text;
    EXPECT_NE(text.find(std::to_string(c.error)), std::string::npos) << text;
  }
}

// Guards against a second installation destroying the user's database or settings.
TEST_F(Installation, AgainIntoTheSameFolderKeepsDatabaseAndConfiguration) {
  shell.addFolderPath("D:\\Games\\Quorin软件");
  const std::string dir = "D:\\Games\\Quorin软件\\";
  shell.addFile(dir + kExe, "old program");
  shell.addFile(dir + kDb, "the user's answers", 0x2);
  shell.addFile(dir + kIni, "the user's settings");
  shell.addFile(dir + kUninst, "old uninstaller");
  const core::InstallReport report = install(dir);
  ASSERT_TRUE(report.succeeded()) << core::describeReport(report);
  EXPECT_TRUE(shell.find(dir + kExe)->bytes == content(0));
  EXPECT_EQ(shell.find(dir + kDb)->bytes, "the user's answers");
  EXPECT_EQ(shell.find(dir + kDb)->attributes, 0x2u);
  EXPECT_EQ(shell.find(dir + kIni)->bytes, "the user's settings");
  EXPECT_TRUE(shell.find(dir + kUninst)->bytes == content(3));
  auto outcomeOf = [&](StepKind kind, const std::string& subject) {
    for (const auto& s : report.steps) {
      if (s.kind == kind && s.subject == subject) return s.outcome;
    }
    ADD_FAILURE() << "no step for " << subject;
    return StepOutcome::failed;
  };
  EXPECT_EQ(outcomeOf(StepKind::file, dir + kDb), StepOutcome::kept);
  EXPECT_EQ(outcomeOf(StepKind::file, dir + kIni), StepOutcome::kept);
  EXPECT_EQ(outcomeOf(StepKind::file, dir + kExe), StepOutcome::done);
  expectShortcuts(dir);
}

// Guards against a folder named like the configuration hiding a failed install.
TEST_F(Installation, ConfigurationNameTakenByAFolderIsLeftAlone) {
  shell.addFolderPath("D:\\App\\配置文件.ini");
  const core::InstallReport report = install("D:\\App");
  EXPECT_TRUE(report.succeeded()) << core::describeReport(report);
  EXPECT_TRUE(shell.find("D:\\App\\" + kIni)->folder);
}

// Guards against the earlier-database keep swallowing a real failure.
TEST_F(Installation, DatabaseInTheWayAsAFolderOrHeldOpenIsAFailure) {
  struct Case {
    const char* what;
    void (*arrange)(FakeShell&);
    std::uint32_t error;
  } cases[] = {
      {"folder", [](FakeShell& s) { s.addFolderPath("D:\\App\\mini.dll"); }, platform::err::alreadyExists},
      {"held", [](FakeShell& s) {
         s.addFile("D:\\App\\mini.dll", "db");
         s.entries["D:\\App\\mini.dll"].heldOpen = true;
       }, platform::err::sharingViolation},
  };
  for (const Case& c : cases) {
    FakeShell fresh;
    fresh.addFolderPath("D:\\App");
    c.arrange(fresh);
    core::setInstallDir("D:\\App");
    const core::InstallReport report = core::runInstallation(fresh);
    ASSERT_FALSE(report.succeeded()) << c.what;
    EXPECT_EQ(report.firstFailure()->subject, "D:\\App\\mini.dll") << c.what;
    EXPECT_EQ(report.firstFailure()->error, c.error) << c.what;
    EXPECT_EQ(fresh.find("D:\\App\\" + kIni), nullptr) << "stops at the failing file";
    EXPECT_TRUE(fresh.logOf("createShortcut").empty());
  }
}

// Guards against replacing a running program silently, and against a vague message.
TEST_F(Installation, RunningProgramIsReportedWithAHintToCloseIt) {
  shell.addFolderPath("D:\\App");
  shell.addFile("D:\\App\\" + kExe, "running");
  shell.entries["D:\\App\\" + kExe].heldOpen = true;
  const core::InstallReport report = install("D:\\App");
  ASSERT_FALSE(report.succeeded());
  EXPECT_EQ(shell.find("D:\\App\\" + kExe)->bytes, "running");
  EXPECT_EQ(shell.find("D:\\App\\" + kDb), nullptr);
  const std::string text = core::describeReport(report);
  EXPECT_NE(text.find("请先关闭"), std::string::npos) << text;
  EXPECT_NE(text.find("D:\\App\\" + kExe), std::string::npos) << text;
}

// Guards against shortcuts landing in the installer's own folder when a
// special folder cannot be found.
TEST_F(Installation, MissingSpecialFolderSkipsOnlyItsShortcuts) {
  struct Case {
    bool desktopMissing;
    std::size_t shortcutsMade;
  } cases[] = {{true, 2}, {false, 1}};
  for (const Case& c : cases) {
    FakeShell fresh;
    fresh.addFolderPath("D:\\App");
    (c.desktopMissing ? fresh.desktop : fresh.programs).clear();
    core::setInstallDir("D:\\App");
    const core::InstallReport report = core::runInstallation(fresh);
    EXPECT_FALSE(report.succeeded());
    EXPECT_EQ(report.firstFailure()->kind, StepKind::specialFolder);
    EXPECT_EQ(fresh.logOf("createShortcut").size(), c.shortcutsMade);
    for (const std::string& link : fresh.logOf("createShortcut")) {
      EXPECT_EQ(link.compare(0, 3, "C:\\"), 0) << "a link outside the special folders: " << link;
    }
    EXPECT_NE(fresh.find("D:\\App\\" + kUninst), nullptr) << "the files are still installed";
    EXPECT_NE(core::describeReport(report).find("找不到系统文件夹"), std::string::npos);
  }
}

// Guards against an existing start-menu group or a failed shortcut going unnoticed.
TEST_F(Installation, ExistingGroupIsUsedAndAFailedShortcutIsReported) {
  shell.addFolderPath("D:\\App");
  shell.addFolderPath(shell.programs + "Velmaro考试系统");
  const std::string desktopLink = shell.desktop + "Velmaro考试系统.lnk";
  shell.failures["createShortcut:" + desktopLink] = platform::err::accessDenied;
  const core::InstallReport report = install("D:\\App");
  ASSERT_FALSE(report.succeeded());
  EXPECT_EQ(report.firstFailure()->subject, desktopLink);
  EXPECT_NE(shell.find(shell.programs + "Velmaro考试系统\\卸载.lnk"), nullptr);
  EXPECT_NE(shell.find(shell.programs + "Velmaro考试系统\\Velmaro考试系统.lnk"), nullptr);
}

// Guards against a failed hide being ignored.
TEST_F(Installation, FailedHideStopsAndIsReported) {
  shell.addFolderPath("D:\\App");
  shell.failures["setHidden:D:\\App\\mini.dll"] = platform::err::accessDenied;
  const core::InstallReport report = install("D:\\App");
  ASSERT_FALSE(report.succeeded());
  EXPECT_EQ(report.firstFailure()->kind, StepKind::hide);
  EXPECT_EQ(shell.find("D:\\App\\" + kIni), nullptr);
}

// Guards against folder levels being split inside a two-byte character or
// at the drive or share root.
TEST_F(Installation, FolderLevelsFollowTheRoot) {
  struct Case {
    std::string dir;
    std::vector<std::string> created;
  } cases[] = {
      {"D:\\资料淺\\x", {"D:\\资料淺", "D:\\资料淺\\x"}},
      {"D:\\a\\\\b\\", {"D:\\a", "D:\\a\\\\b"}},
      {"\\\\server\\share\\app", {"\\\\server\\share\\app"}},
  };
  for (const Case& c : cases) {
    FakeShell fresh;
    fresh.failures["createFolder:" + c.created.back()] = platform::err::accessDenied;  // stop early
    core::setInstallDir(c.dir);
    core::runInstallation(fresh);
    EXPECT_EQ(fresh.logOf("createFolder"), c.created) << c.dir;
  }
}

}  // namespace
