// The four directory rules as the welcome window uses them: the box never
// stays empty, a cancelled browser gives the default back, and quick install
// lands in the product folder with exactly one separator.
#include <gtest/gtest.h>

#include "core/install.h"

namespace {

// Behaves as the path box does: writing raises content-changed, and so Rule 1,
// before the write returns.
class RecordingBox : public core::PathBox {
 public:
  explicit RecordingBox(std::string text) : text_(std::move(text)) {}
  std::string read() override { return text_; }
  void write(const std::string& text) override {
    text_ = text;
    ++writes;
    core::resetPathIfEmpty(*this);
  }
  std::string text() const { return text_; }
  int writes = 0;

 private:
  std::string text_;
};

class Rules : public ::testing::Test {
 protected:
  void SetUp() override { core::releaseInstallDir(); }
  void TearDown() override { core::releaseInstallDir(); }
};

TEST_F(Rules, ProductFolderThenSeparatorGiveTheWorkedValues) {
  struct Case {
    std::string box, afterRule3, afterRule4;
  } cases[] = {
      {"C:\\Program Files\\Quorin软件", "C:\\Program Files\\Quorin软件",
       "C:\\Program Files\\Quorin软件\\"},
      {"C:\\Program Files\\2017Velmaro", "C:\\Program Files\\2017Velmaro\\Quorin软件",
       "C:\\Program Files\\2017Velmaro\\Quorin软件\\"},
      {"D:\\", "D:\\Quorin软件", "D:\\Quorin软件\\"},
      {"D:\\Games", "D:\\Games\\Quorin软件", "D:\\Games\\Quorin软件\\"},
      {"E:\\Quorin软件备份\\x", "E:\\Quorin软件备份\\x", "E:\\Quorin软件备份\\x\\"},
      // A last character whose second byte is 0x5C still needs the separator.
      {"D:\\资料淺", "D:\\资料淺\\Quorin软件", "D:\\资料淺\\Quorin软件\\"},
      {"D:\\Games\\", "D:\\Games\\Quorin软件", "D:\\Games\\Quorin软件\\"},
  };
  for (const Case& c : cases) {
    RecordingBox box(c.box);
    core::applyProductFolder(box);
    EXPECT_EQ(core::installDir(), c.afterRule3) << c.box;
    core::ensureTrailingSeparator();
    EXPECT_EQ(core::installDir(), c.afterRule4) << c.box;
    EXPECT_EQ(box.text(), c.box) << "quick install must not change the box";
  }
}

TEST_F(Rules, EmptyBoxGetsTheDefaultBackAndInstallDirFollows) {
  RecordingBox box("");
  core::resetPathIfEmpty(box);
  EXPECT_EQ(box.text(), "C:\\Program Files\\2017Velmaro");
  EXPECT_EQ(core::installDir(), "C:\\Program Files\\2017Velmaro");
  EXPECT_EQ(box.writes, 1);

  RecordingBox typed("D:\\Tools");
  core::resetPathIfEmpty(typed);
  EXPECT_EQ(core::installDir(), "D:\\Tools");
  EXPECT_EQ(typed.writes, 0);
}

TEST_F(Rules, BrowserResultReplacesTheBoxAndCancelGivesTheDefault) {
  struct Case {
    std::string before, result, after;
  } cases[] = {
      {"D:\\Tools", "", "C:\\Program Files\\2017Velmaro"},  // cancel: not the earlier text
      {"D:\\Tools", "E:\\", "E:\\"},
      {"D:\\Tools", "E:\\Apps\\考试", "E:\\Apps\\考试"},
  };
  for (const Case& c : cases) {
    RecordingBox box(c.before);
    core::applyBrowseResult(box, c.result);
    EXPECT_EQ(box.text(), c.after);
    EXPECT_EQ(core::installDir(), c.after) << "content-changed keeps installDir in step";
  }
}

TEST_F(Rules, ResetToDefaultThenQuickInstallIsTwoLevelsBelowProgramFiles) {
  RecordingBox box("x");
  box.write("");
  core::applyProductFolder(box);
  EXPECT_EQ(core::installDir(), "C:\\Program Files\\2017Velmaro\\Quorin软件");
}

TEST_F(Rules, TrailingSeparatorOnEmptyAndReleased) {
  core::ensureTrailingSeparator();
  EXPECT_EQ(core::installDir(), "\\");
  core::releaseInstallDir();
  EXPECT_TRUE(core::installDir().empty());
}

}  // namespace
