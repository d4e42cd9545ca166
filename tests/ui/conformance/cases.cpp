// The lifecycle cases that hold on every backend. Each guards against one
// visible breakage, named in the line above it.
#include <gtest/gtest.h>

#include "ui/conformance/harness.h"

namespace {

using namespace conformance;

std::string flag(bool b) { return b ? "1" : "0"; }

std::string place(Harness& h, const std::string& window) {
  const ui::Rect r = h.system().windowRect(h.native(window));
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.width) + "x" +
         std::to_string(r.height);
}

// Opens the progress window from the welcome window's quick-install key 'I';
// its created event destroys the welcome window and starts the 200 ms timer,
// whose fifth tick opens the finish window, as the real windows do.
void progressRoad(Harness& h) {
  h.onCreated(kWelcome, [&h] { h.post(kWelcome, 'I'); });
  h.onKey(kWelcome, 'I', [&h] {
    h.app().openWindow(kProgress, true);
    h.note("quick-install-returned");
  });
  h.onCreated(kProgress, [&h] {
    h.app().destroyWindow(kWelcome);
    h.system().setTimer(h.native(kProgress), 1, 200);
  });
  h.onTick([&h, ticks = 0](const std::string& window) mutable {
    if (window != kProgress || ++ticks < 5) return;
    h.system().killTimer(h.native(kProgress), 1);
    h.note("ticks=5");
    h.app().openWindow(kFinish, true);
    h.note("tick-returned");
  });
  h.onCreated(kFinish, [&h] { h.app().destroyWindow(kProgress); });
}

}  // namespace

// A window off-centre, or at its stored position.
CONFORMANCE(Lifecycle, WindowsOpenCentredOnTheScreen, 0,
            "welcome@685,360,550x360 agreement@685,367,550x345 cleanup ") {
  h.onCreated(kWelcome, [&h] {
    h.note("welcome@" + place(h, kWelcome));
    h.post(kWelcome, 'A');
  });
  h.onKey(kWelcome, 'A', [&h] {
    h.app().openWindow(kAgreement, true);
    h.post(kWelcome, kEsc);
  });
  h.onCreated(kAgreement, [&h] {
    h.note("agreement@" + place(h, kAgreement));
    h.post(kAgreement, kEsc);
  });
}

// A modal window with a taskbar button, or a button left after the welcome window.
CONFORMANCE(Lifecycle, OnlyTheStartWindowHasATaskbarButton, 0,
            "welcome-button=1 progress-button=0 welcome-open=0 quick-install-returned cleanup ") {
  h.onCreated(kWelcome, [&h] { h.post(kWelcome, 'I'); });
  h.onKey(kWelcome, 'I', [&h] {
    h.note("welcome-button=" + flag(h.system().hasTaskbarButton(h.native(kWelcome))));
    h.app().openWindow(kProgress, true);
    h.note("quick-install-returned");
  });
  h.onCreated(kProgress, [&h] {
    h.app().destroyWindow(kWelcome);
    h.post(kProgress, 'T');
  });
  h.onKey(kProgress, 'T', [&h] {
    h.note("progress-button=" + flag(h.system().hasTaskbarButton(h.native(kProgress))));
    h.note("welcome-open=" + flag(h.app().isOpen(kWelcome)));
    h.post(kProgress, kEsc);
  });
}

// Windows left disabled by a modal window, or one disabled before it enabled.
CONFORMANCE(Lifecycle, ModalWindowDisablesAndGivesEachItsStateBack, 0,
            "during:welcome-enabled=0,modal=1 after:welcome-enabled=1 disabled-before-stays=1 cleanup ") {
  static bool second;
  second = false;
  h.onCreated(kWelcome, [&h] { h.post(kWelcome, 'A'); });
  h.onKey(kWelcome, 'A', [&h] {
    h.app().openWindow(kAgreement, true);
    h.note("after:welcome-enabled=" + flag(h.system().isWindowEnabled(h.native(kWelcome))));
    h.system().enableWindow(h.native(kWelcome), false);
    second = true;
    h.app().openWindow(kAgreement, true);
    h.note("disabled-before-stays=" + flag(!h.system().isWindowEnabled(h.native(kWelcome))));
    h.app().endProgram(0);
  });
  h.onCreated(kAgreement, [&h] { h.post(kAgreement, second ? kEsc : 'C'); });
  h.onKey(kAgreement, 'C', [&h] {
    const std::string* modal = h.app().currentModal();
    h.note("during:welcome-enabled=" + flag(h.system().isWindowEnabled(h.native(kWelcome))) +
           ",modal=" + flag(modal && *modal == kAgreement));
    h.post(kAgreement, kEsc);
  });
}

// A second created event or a second loop for a window that is open.
CONFORMANCE(Lifecycle, OpeningAnOpenWindowOnlyBringsItForward, 0,
            "created-welcome reopen=1,restored=1 cleanup ") {
  h.onCreated(kWelcome, [&h] {
    h.note("created-welcome");
    h.post(kWelcome, 'O');
  });
  h.onKey(kWelcome, 'O', [&h] {
    h.system().minimize(h.native(kWelcome));
    const bool reopened = h.app().openWindow(kWelcome, true);
    h.note("reopen=" + flag(reopened) + ",restored=" + flag(!h.system().isMinimized(h.native(kWelcome))));
    h.post(kWelcome, kEsc);
  });
}

// A deferred destruction carried out late (after input) or not at all.
CONFORMANCE(Lifecycle, NextLoopDestroysTheWindowBeforeAnyInput, 0,
            "after-created:welcome-open=1 first-input:welcome-open=0 quick-install-returned cleanup ") {
  h.onCreated(kWelcome, [&h] { h.post(kWelcome, 'I'); });
  h.onKey(kWelcome, 'I', [&h] {
    h.app().openWindow(kProgress, true);
    h.note("quick-install-returned");
  });
  h.onCreated(kProgress, [&h] {
    h.app().destroyWindow(kWelcome);
    h.post(kProgress, 'T');
    h.note("after-created:welcome-open=" + flag(h.app().isOpen(kWelcome)));
  });
  h.onKey(kProgress, 'T', [&h] {
    h.note("first-input:welcome-open=" + flag(h.app().isOpen(kWelcome)));
    h.post(kProgress, kEsc);
  });
}

// Esc on the finish window not unwinding every loop, or a loop eating the quit.
CONFORMANCE(Lifecycle, EscOnTheFinishWindowUnwindsTheLongestNesting, 0,
            "ticks=5 tick-returned quick-install-returned cleanup ") {
  progressRoad(h);
  h.onCreated(kFinish, [&h] {
    h.app().destroyWindow(kProgress);
    h.post(kFinish, kEsc);
  });
}

// A handler resuming after endProgram, or the clean-up running twice.
CONFORMANCE(Lifecycle, EndProgramFromTheDeepestHandlerRunsTheCleanupOnce, 0, "ticks=5 finish cleanup ") {
  progressRoad(h);
  h.app().registerCleanup(noteCleanup);  // registered again: still runs once
  h.onCreated(kFinish, [&h] {
    h.app().destroyWindow(kProgress);
    h.post(kFinish, 'F');
  });
  h.onKey(kFinish, 'F', [&h] {
    h.note("finish");
    h.app().endProgram(0);
  });
}

// Esc on the progress window opening the finish window anyway.
CONFORMANCE(Lifecycle, EscOnTheProgressWindowEndsWithoutTheFinishWindow, 0,
            "quick-install-returned cleanup ") {
  progressRoad(h);
  h.onCreated(kProgress, [&h] {
    h.app().destroyWindow(kWelcome);
    h.system().setTimer(h.native(kProgress), 1, 200);
    h.post(kProgress, kEsc);
  });
}

// The abort question ending the program on No, or not on Yes.
CONFORMANCE(Lifecycle, AbortQuestionNoGoesOnAndYesEnds, 0, "no:welcome-open=1 cleanup ") {
  h.onCreated(kWelcome, [&h] { h.post(kWelcome, 'X'); });
  h.onKey(kWelcome, 'X', [&h] {
    h.answerNext(ui::kIdNo);
    h.app().confirmAbort();
    h.note("no:welcome-open=" + flag(h.app().isOpen(kWelcome)));
    h.answerNext(ui::kIdYes);
    h.app().confirmAbort();
    h.note("yes-returned");
  });
}

// A fatal error that runs the clean-up or ends with 0.
CONFORMANCE(Lifecycle, StartWindowThatCannotBeCreatedIsFatal, -1, "") {
  h.answerNext(ui::kIdOk);  // the stop box
  h.failNextCreate();
}

CONFORMANCE(Lifecycle, DestroyingAWindowThatIsNotOpenIsFatal, -1, "") {
  h.onCreated(kWelcome, [&h] { h.post(kWelcome, 'D'); });
  h.onKey(kWelcome, 'D', [&h] {
    h.answerNext(ui::kIdOk);
    h.app().destroyWindow(kFinish);
    h.note("returned");
  });
}
