// The whole road through the four windows, with stand-in handlers that do
// what the real ones do to the flow: every transition of the program's
// states, on the virtual clock, checked as one signature per road.
#include <gtest/gtest.h>

#include "ui/program.h"

namespace {

using namespace testing_support;

// Keys stand for the controls: A the agreement link, I quick install, X the
// × button, F the finish button.
struct Road : Program {
  Road() : Program({{kWelcome, {50, 50, 550, 360}}, {kAgreement, {50, 50, 550, 345}},
                    {kProgress, {50, 50, 550, 360}}, {kFinish, {50, 50, 550, 360}}}) {
    app.registerCleanup(countCleanup);
    onKey(kWelcome, 'A', [this] {
      app.openWindow(kAgreement, true);
      note("agreement returned");
    });
    onKey(kAgreement, 'X', [this] { app.destroyWindow(kAgreement); });
    onKey(kWelcome, 'I', [this] {
      app.openWindow(kProgress, true);
      note("quick install returned");
    });
    onKey(kWelcome, 'X', [this] { app.confirmAbort(); });
    onKey(kProgress, 'X', [this] { app.confirmAbort(); });
    created[kProgress] = [this] {
      system.setTimer(native(kProgress), 1, 200);  // the timer counts from the load
      app.destroyWindow(kWelcome);
      welcomeVisibleDuringInstall = system.isVisible(native(kWelcome));
      system.spend(1500);  // the installation
    };
    onTick = [this](const std::string& window) {
      if (window != kProgress) return;
      if (++ticks < 5) return;
      system.killTimer(native(kProgress), 1);
      app.openWindow(kFinish, true);
      note("tick returned");
    };
    created[kFinish] = [this] { app.destroyWindow(kProgress); };
    onKey(kFinish, 'X', [this] { app.endProgram(0); });
    onKey(kFinish, 'F', [this] {
      note("run");
      shell.runAndWait("\"C:\\App\\Velmaro考试系统.exe\"");
      app.endProgram(0);
    });
  }
  void note(const std::string& what) { log.push_back(what); }
  // The log without the ticks' times, which the cases check separately.
  std::string signature() const {
    std::string out;
    for (const std::string& line : log) {
      if (line.rfind("tick:", 0) == 0) {
        out += "tick ";
        continue;
      }
      out += line + " | ";
    }
    return out;
  }
  int ticks = 0;
  bool welcomeVisibleDuringInstall = false;
};

struct Key {
  std::uint64_t at;
  int key;
};

// Guards against any transition of the flow going to the wrong state, or
// ending with a wrong code, or without its clean-up.
TEST(Road, EveryTransitionEndsWhereItShould) {
  const std::string toFinish = "key:窗口_欢迎:I | created:窗口_进度 | tick tick tick tick tick created:窗口_完成 | ";
  struct Case {
    const char* road;
    std::vector<Key> keys;
    std::vector<int> answers;  // question answers, in order
    std::string signature;
  } cases[] = {
      {"agreement and back by ×, then Esc",
       {{10, 'A'}, {20, 'X'}, {30, kEsc}},
       {},
       "key:窗口_欢迎:A | created:窗口_协议 | key:窗口_协议:X | agreement returned | "},
      {"agreement closed by Esc",
       {{10, 'A'}, {20, kEsc}, {30, kEsc}},
       {},
       "key:窗口_欢迎:A | created:窗口_协议 | agreement returned | "},
      {"welcome ×, No, then Esc", {{10, 'X'}, {500, kEsc}}, {ui::kIdNo}, "key:窗口_欢迎:X | "},
      {"welcome ×, Yes", {{10, 'X'}, {500, kEsc}}, {ui::kIdYes}, "key:窗口_欢迎:X | "},
      {"the whole road to the exam program", {{10, 'I'}, {3000, 'F'}}, {},
       toFinish + "key:窗口_完成:F | run | "},
      {"finish ×", {{10, 'I'}, {3000, 'X'}}, {}, toFinish + "key:窗口_完成:X | "},
      {"finish Esc unwinds every loop", {{10, 'I'}, {3000, kEsc}}, {},
       toFinish + "tick returned | quick install returned | "},
      {"progress Esc: the finish window never opens", {{10, 'I'}, {1600, kEsc}}, {},
       "key:窗口_欢迎:I | created:窗口_进度 | tick quick install returned | "},
      {"progress ×, Yes", {{10, 'I'}, {1600, 'X'}}, {ui::kIdYes},
       "key:窗口_欢迎:I | created:窗口_进度 | tick key:窗口_进度:X | tick "},  // a tick under the question
      {"progress ×, No: the flow goes on", {{10, 'I'}, {1600, 'X'}, {3000, kEsc}}, {ui::kIdNo},
       "key:窗口_欢迎:I | created:窗口_进度 | tick key:窗口_进度:X | tick tick tick tick "
       "created:窗口_完成 | tick returned | quick install returned | "},
  };
  for (const Case& c : cases) {
    Road r;
    for (const Key& k : c.keys) r.system.scriptKey(k.at, k.key);
    for (int a : c.answers) r.system.scriptAnswer(a, 50);
    EXPECT_EQ(r.run(), 0) << c.road;
    EXPECT_EQ(r.signature(), "created:" + kWelcome + " | " + c.signature) << c.road;
    EXPECT_EQ(g_cleanups, 1) << c.road;
    EXPECT_EQ(r.system.liveWindows(), 0u) << c.road;
  }
}

// Guards against the installation running with the progress window shown,
// the welcome window vanishing early, or ticks starting before the install ends.
TEST(Road, InstallingShowsNothingNewAndTheWelcomeWindowGoesRightAfter) {
  Road r;
  bool progressVisible = true;
  std::uint64_t firstTick = 0;
  r.created[kProgress] = [&r, &progressVisible, inner = r.created[kProgress]] {
    inner();
    progressVisible = r.system.isVisible(r.native(kProgress));
  };
  r.onTick = [&r, &firstTick, inner = r.onTick](const std::string& w) {
    if (firstTick == 0) {
      firstTick = r.system.now();
      EXPECT_FALSE(r.app.isOpen(kWelcome)) << "destroyed before the first tick";
      EXPECT_FALSE(r.system.hasTaskbarButton(r.native(kProgress)));
    }
    inner(w);
  };
  r.system.scriptKey(10, 'I');
  r.system.scriptKey(4000, kEsc);
  EXPECT_EQ(r.run(), 0);
  EXPECT_TRUE(r.welcomeVisibleDuringInstall);
  EXPECT_FALSE(progressVisible);
  EXPECT_EQ(firstTick, 1510u) << "the missed periods of the installation give one tick";
}

// Guards against the abort question stopping the progress, or the finish
// window being unable to open while it is asked.
TEST(Road, QuestionLeftOpenWhileTicksGoOnAndFinishOpensUnderIt) {
  Road r;
  r.system.scriptKey(10, 'I');
  r.system.scriptKey(1600, 'X');
  r.system.scriptAnswer(ui::kIdNo, 2000);  // answered long after the fifth tick
  r.system.scriptKey(5000, 'F');
  EXPECT_EQ(r.run(), 0);
  ASSERT_EQ(r.system.dialogs().size(), 1u);
  EXPECT_EQ(r.system.dialogs()[0].owner, nullptr) << "the welcome window was gone: no owner";
  EXPECT_EQ(r.ticks, 5);
  EXPECT_NE(r.signature().find("created:窗口_完成 | "), std::string::npos);
  EXPECT_NE(r.signature().find("run | "), std::string::npos) << r.signature();
  EXPECT_EQ(r.files.logOf("run").size(), 1u);
}

}  // namespace
