// The application on the Win32 backend under Wine, each case a whole program
// from start-up to ExitProcess. A real end of the process is what is under
// test, so each runs as a death test: the child's handlers note what they see,
// the clean-up action prints the notes as its last words on stderr (which
// also shows that the clean-up ran), and the parent matches them and the
// exit code. Input is posted to the window it is meant for from inside the
// handlers, so each step happens in a known loop.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>

#include "platform/shellops_win32.h"
#include "ui/app/app.h"
#include "ui/backend/win32/win32_backend.h"
#include "win32_test_support.h"

namespace {

using ui::App;
using ui::WindowRecord;

const std::string kWelcome = "窗口_欢迎";
const std::string kAgreement = "窗口_协议";
const std::string kProgress = "窗口_进度";
const std::string kFinish = "窗口_完成";

// registerCleanup takes a plain routine, so the notes it prints are reached
// through this one pointer to the running program's notes.
const std::string* g_notes = nullptr;
void printNotes() {
  std::fprintf(stderr, "notes: %s|end\n", g_notes ? g_notes->c_str() : "");
  std::fflush(stderr);
}

std::string notesAre(const std::string& notes) { return win32_test::literal("notes: " + notes + "|end"); }

struct Program {
  Program()
      : app(system, shell, records()) {
    g_notes = &notes;
    app.registerCleanup(printNotes);
    app.setHooks(App::Hooks{[this](const std::string& window, const ui::Event& e) {
                              if (e.type != ui::EventType::keyDown) return false;
                              auto it = keys.find({window, e.code});
                              if (it == keys.end()) {
                                if (noteKeys) {
                                  note("key:" + std::to_string(e.code) + ":" + std::to_string(e.keys) +
                                       (e.child ? ":edit" : ":window"));
                                }
                                return false;
                              }
                              it->second();
                              return true;
                            },
                            nullptr});
  }

  std::vector<WindowRecord> records() {
    std::vector<WindowRecord> out;
    for (const auto& [name, height] : {std::pair<std::string, int>{kWelcome, 360}, {kAgreement, 345},
                                      {kProgress, 360}, {kFinish, 360}}) {
      WindowRecord r;
      r.name = name;
      r.rect = ui::Rect{50, 50, 550, height};
      const std::string n = name;
      r.created = [this, n](App&) {
        auto it = created.find(n);
        if (it != created.end()) it->second();
      };
      out.push_back(std::move(r));
    }
    return out;
  }

  HWND native(const std::string& name) { return static_cast<HWND>(app.nativeOf(name)); }
  void post(const std::string& window, int key) { PostMessageA(native(window), WM_KEYDOWN, key, 0); }
  void note(const std::string& text) { notes += text + " "; }
  std::string place(const std::string& name) {
    const ui::Rect r = system.windowRect(native(name));
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.width) + "x" +
           std::to_string(r.height);
  }
  [[noreturn]] void run() { app.run(kWelcome); }

  ui::Win32WindowSystem system;
  platform::Win32ShellOps shell;
  App app;
  std::string notes;
  std::map<std::string, std::function<void()>> created;
  std::map<std::pair<std::string, int>, std::function<void()>> keys;
  bool noteKeys = false;
};

std::string flag(bool b) { return b ? "1" : "0"; }

// Guards against windows off-centre on the real screen, a modal window with
// a taskbar button or no hidden owner, and a welcome window left disabled.
TEST(Win32AppDeathTest, ModalAgreementIsCentredOwnedAndDisablesTheWelcomeWindow) {
  auto program = [] {
    Program p;
    p.created[kWelcome] = [&] {
      p.note("welcome@" + p.place(kWelcome));
      p.post(kWelcome, 'B');
      p.post(kWelcome, 'A');
    };
    p.keys[{kWelcome, 'B'}] = [&] { p.note("welcome-button=" + flag(p.system.hasTaskbarButton(p.native(kWelcome)))); };
    p.keys[{kWelcome, 'A'}] = [&] {
      p.app.openWindow(kAgreement, true);
      p.note("back:welcome-enabled=" + flag(IsWindowEnabled(p.native(kWelcome))) +
             ",agreement-open=" + flag(p.app.isOpen(kAgreement)));
      p.post(kWelcome, VK_ESCAPE);
    };
    p.created[kAgreement] = [&] {
      HWND owner = GetWindow(p.native(kAgreement), GW_OWNER);
      p.note("agreement@" + p.place(kAgreement));
      p.note("owner:visible=" + flag(IsWindowVisible(owner)) +
             ",tool=" + flag(GetWindowLongPtrA(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) +
             ",size=" + std::to_string(p.system.windowRect(owner).width) + "x" +
             std::to_string(p.system.windowRect(owner).height) +
             ",owns-welcome=" + flag(GetWindow(p.native(kWelcome), GW_OWNER) == owner));
      p.post(kAgreement, 'C');
      p.post(kAgreement, VK_ESCAPE);
    };
    p.keys[{kAgreement, 'C'}] = [&] {
      p.note("agreement-button=" + flag(p.system.hasTaskbarButton(p.native(kAgreement))) +
             ",welcome-enabled=" + flag(IsWindowEnabled(p.native(kWelcome))) +
             ",modal=" + flag(p.app.currentModal() && *p.app.currentModal() == kAgreement));
    };
    p.run();
  };
  EXPECT_EXIT(program(), ::testing::ExitedWithCode(0),
      notesAre("welcome@685,360,550x360 welcome-button=1 agreement@685,367,550x345 "
               "owner:visible=0,tool=1,size=0x0,owns-welcome=0 agreement-button=0,welcome-enabled=0,modal=1 "
               "back:welcome-enabled=1,agreement-open=0 "));
}

// Guards against the welcome window answering once more after the
// installation asked for its end, and against Esc on the progress window
// leaving the program running.
TEST(Win32AppDeathTest, ProgressLoopCarriesOutTheDestructionFirstAndEscEndsIt) {
  auto program = [] {
    Program p;
    p.created[kWelcome] = [&] { p.post(kWelcome, 'I'); };
    p.keys[{kWelcome, 'I'}] = [&] {
      p.app.openWindow(kProgress, true);
      p.note("install-handler-returned");
    };
    p.created[kProgress] = [&] {
      p.app.destroyWindow(kWelcome);  // as the installation's first step
      p.note("welcome-pending=" + flag(p.app.isOpen(kWelcome) && IsWindow(p.native(kWelcome))));
      p.post(kProgress, 'T');
      p.post(kProgress, VK_ESCAPE);
    };
    p.keys[{kProgress, 'T'}] = [&] {
      p.note("welcome-open=" + flag(p.app.isOpen(kWelcome)) +
             ",progress-button=" + flag(p.system.hasTaskbarButton(p.native(kProgress))) +
             ",progress@" + p.place(kProgress));
    };
    p.run();
  };
  EXPECT_EXIT(program(), ::testing::ExitedWithCode(0),
      notesAre("welcome-pending=1 welcome-open=0,progress-button=0,progress@685,360,550x360 "
               "install-handler-returned "));
}

// Guards against a modal loop that takes the quit request meant for the main
// loop (the program would go on with a window open) or hangs on it.
TEST(Win32AppDeathTest, ModalLoopEndsWithoutTakingAQuitRequest) {
  auto program = [] {
    Program p;
    p.created[kWelcome] = [&] { p.post(kWelcome, 'A'); };
    p.keys[{kWelcome, 'A'}] = [&] {
      p.app.openWindow(kAgreement, true);
      p.note("modal-ended:agreement-open=" + flag(p.app.isOpen(kAgreement)) +
             ",quit-waiting=" + flag(p.system.quitWaiting()));
    };
    p.created[kAgreement] = [&] { p.post(kAgreement, 'Q'); };
    p.keys[{kAgreement, 'Q'}] = [&] { p.system.postQuit(0); };
    p.run();  // the main loop takes it; the end destroys the agreement window
  };
  EXPECT_EXIT(program(), ::testing::ExitedWithCode(0), notesAre("modal-ended:agreement-open=1,quit-waiting=1 "));
}

// Guards against No ending the installation, Yes not ending it, and the
// question carrying the wrong caption.
TEST(Win32AppDeathTest, AbortQuestionAnsweredNoThenYes) {
  auto program = [] {
    Program p;
    // Each key is posted once the one before has been handled: the
    // question box's own loop would otherwise take it.
    p.created[kWelcome] = [&] { p.post(kWelcome, 'N'); };
    p.keys[{kWelcome, 'N'}] = [&] {
      win32_test::Answerer user(IDNO);
      p.app.confirmAbort();
      user.join();
      p.note("no:caption=" + user.caption() + ",welcome-open=" + flag(p.app.isOpen(kWelcome)) +
             ",enabled=" + flag(IsWindowEnabled(p.native(kWelcome))));
      p.post(kWelcome, 'Y');
      p.post(kWelcome, VK_ESCAPE);  // reached only if Yes did not end the program
    };
    p.keys[{kWelcome, 'Y'}] = [&] {
      p.note("asking-again");
      win32_test::Answerer user(IDYES);
      p.app.confirmAbort();
      user.join();
      p.note("yes-returned");
    };
    p.run();
  };
  EXPECT_EXIT(program(), ::testing::ExitedWithCode(0), notesAre("no:caption=Velmaro,welcome-open=1,enabled=1 asking-again "));
}

// Guards against a deferred destruction waiting until the question is
// answered: the system's own loop inside the question box carries it out.
TEST(Win32AppDeathTest, QuestionBoxLoopCarriesOutADeferredDestruction) {
  auto program = [] {
    Program p;
    p.created[kWelcome] = [&] { p.post(kWelcome, 'A'); };
    p.keys[{kWelcome, 'A'}] = [&] { p.app.openWindow(kAgreement, true); };
    p.created[kAgreement] = [&] { p.post(kAgreement, 'D'); };
    p.keys[{kAgreement, 'D'}] = [&] {
      HWND welcome = p.native(kWelcome);
      p.app.destroyWindow(kWelcome);
      win32_test::Answerer user(IDNO, [welcome] { return !IsWindow(welcome); });
      p.system.messageBox(nullptr, "?", "Velmaro", ui::kMbYesNo | ui::kMbIconQuestion | ui::kMbTaskModal);
      user.join();
      p.note("answered=" + flag(user.answered()) + ",welcome-gone=" + flag(!IsWindow(welcome) && !p.app.isOpen(kWelcome)));
      p.post(kAgreement, VK_ESCAPE);  // the last window: the program ends
    };
    p.run();
  };
  EXPECT_EXIT(program(), ::testing::ExitedWithCode(0), notesAre("answered=1,welcome-gone=1 "));
}

// Guards against Esc being lost while the path box has the focus, and
// against Shift+Esc closing a window.
TEST(Win32AppDeathTest, EscClosesFromTheEditChildButNotWithShift) {
  auto program = [] {
    Program p;
    p.noteKeys = true;
    p.created[kWelcome] = [&] {
      ui::EditSpec spec;
      spec.rect = ui::Rect{20, 20, 300, 24};
      HWND edit = static_cast<HWND>(p.system.createEdit(p.native(kWelcome), spec));
      auto toEdit = [edit](int key) { PostMessageA(edit, WM_KEYDOWN, key, 0); };
      toEdit('K');
      toEdit('S');  // holds Shift from here on
      toEdit(VK_ESCAPE);
      toEdit('U');  // lets it go
      toEdit(VK_ESCAPE);
      toEdit('Z');  // never handled: the window is gone
    };
    auto setShift = [](bool down) {
      BYTE state[256] = {};
      state[VK_SHIFT] = down ? 0x80 : 0;
      SetKeyboardState(state);
    };
    p.keys[{kWelcome, 'S'}] = [&, setShift] { setShift(true); };
    p.keys[{kWelcome, 'U'}] = [&, setShift] { setShift(false); };
    p.run();
  };
  EXPECT_EXIT(program(), ::testing::ExitedWithCode(0), notesAre("key:75:0:edit key:27:2:edit "));
}

}  // namespace
