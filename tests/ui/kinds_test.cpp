// The behaviour of the picture button, the timer and the edit box, each
// driven on its own: the button as a state machine fed pointer inputs, the
// timer and the edit box on the headless backend's virtual clock. Each input
// sequence is checked as one recorded signature.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ui/controls/picbtn.h"

namespace {

using namespace ui;

// --- PicBtn ---------------------------------------------------------------------------

// Which picture a button shows, by the letter of the setting it comes from.
std::string pictureName(const std::string& picture) { return picture.empty() ? "black" : picture; }

// Settings whose pictures are named by their letters: "NHPD" gives all four.
Settings buttonSettings(const std::string& pictures, int buttontype = 0, bool checked = false) {
  Settings s;
  s.buttontype = buttontype;
  s.checked = checked;
  if (pictures.find('N') != std::string::npos) s.picNormal = "N";
  if (pictures.find('H') != std::string::npos) s.picHover = "H";
  if (pictures.find('P') != std::string::npos) s.picPressed = "P";
  if (pictures.find('D') != std::string::npos) s.picDisabled = "D";
  return s;
}

// Runs a space-separated list of inputs through a button and records what
// each one asks of the caller: the picture when a redraw is asked for, then
// capture, release and clicked. "-" for an input that asks nothing. A picture
// that changed without a redraw being asked for shows as "stale".
//   in / out      the pointer moves inside / outside (the left button as the script holds it)
//   away          another window comes under the pointer
//   down / up     left press / release inside;  upOut  release outside
//   downElsewhere the left button goes down on something that does not hold the mouse
//   disable / enable
std::string drive(PicBtnState& b, const Settings& s, const std::string& script) {
  std::istringstream in(script);
  std::string step, signature = "start:" + pictureName(b.pictureFor(s));
  bool held = false;
  while (in >> step) {
    const std::string before = b.pictureFor(s);
    PicBtnResult r;
    if (step == "in") r = b.pointerMoved(true, held);
    else if (step == "out") r = b.pointerMoved(false, held);
    else if (step == "away") r = b.pointerLeft();
    else if (step == "down") held = true, r = b.leftPressed(true);
    else if (step == "downElsewhere") held = true;
    else if (step == "up") held = false, r = b.leftReleased(true);
    else if (step == "upOut") held = false, r = b.leftReleased(false);
    else if (step == "disable") r = b.setEnabled(false);
    else if (step == "enable") r = b.setEnabled(true);
    else ADD_FAILURE() << "unknown step " << step;
    std::vector<std::string> out;
    if (r.redraw) out.push_back(pictureName(b.pictureFor(s)));
    else if (b.pictureFor(s) != before) out.push_back("stale");
    if (r.wantsCapture) out.push_back("capture");
    if (r.releaseCapture) out.push_back("release");
    if (r.fireClicked) out.push_back("clicked");
    std::string joined;
    for (const std::string& o : out) joined += (joined.empty() ? "" : "+") + o;
    signature += ", " + (joined.empty() ? std::string("-") : joined);
  }
  return signature;
}

// Guards against clicks on the wrong release, a button stuck in its pressed
// or hover picture, a lost mouse capture, and a click fired before the button
// went back to normal (the clicked handler may destroy the window).
TEST(KindPicBtn, InputSequences) {
  struct Case {
    const char* name;
    const char* pictures;
    int buttontype;
    bool checked, enabled;
    const char* script;
    const char* signature;
  } cases[] = {
      {"hover, then off the button", "NHPD", 0, false, true, "in out", "start:N, H, N"},
      {"hover, then another window", "NHPD", 0, false, true, "in in away", "start:N, H, -, N"},
      {"click", "NHPD", 0, false, true, "in down up", "start:N, H, P+capture, N+release+clicked"},
      {"press inside, release outside", "NHPD", 0, false, true, "in down out upOut",
       "start:N, H, P+capture, N, release"},
      {"press inside, release outside with no move between", "NHPD", 0, false, true,
       "down upOut", "start:N, P+capture, N+release"},
      {"back inside while held", "NHPD", 0, false, true, "down out in up",
       "start:N, P+capture, N, P, N+release+clicked"},
      {"press elsewhere, release inside", "NHPD", 0, false, true, "downElsewhere in up",
       "start:N, -, P, N+clicked"},
      {"press elsewhere, release inside with no move", "NHPD", 0, false, true,
       "downElsewhere up", "start:N, -, clicked"},
      {"a second press while held takes nothing more", "NHPD", 0, false, true, "down down up",
       "start:N, P+capture, -, N+release+clicked"},
      {"disabled: no hover, no press, no click", "NHPD", 0, false, false, "in down up",
       "start:D, -, -, -"},
      {"disabled and enabled again while hovered", "NHPD", 0, false, true,
       "in disable in enable in", "start:N, H, D, -, N, H"},
      {"disabled while held: lets the mouse go, no click", "NHPD", 0, false, true,
       "down disable up", "start:N, P+capture, D+release, -"},
      {"enabling an enabled button changes nothing", "NHPD", 0, false, true, "enable",
       "start:N, -"},
      {"only a normal picture: every state shows it", "N", 0, false, true, "in down up",
       "start:N, N, N+capture, N+release+clicked"},
      {"no pictures: black", "", 0, false, true, "in down up",
       "start:black, black, black+capture, black+release+clicked"},
      {"disabled with no disabled picture shows normal", "NHP", 0, false, false, "in",
       "start:N, -"},
      {"toggle: no hover or pressed look; a release inside flips and clicks", "NHPD", 1, false,
       true, "in down up in down up",
       "start:N, -, capture, P+release+clicked, -, capture, N+release+clicked"},
      {"toggle: release outside flips nothing", "NHPD", 1, false, true, "down out upOut",
       "start:N, capture, -, release"},
      {"toggle checked and disabled without its picture shows pressed", "NP", 1, true, false,
       "in up", "start:P, -, -"},
  };
  for (const Case& c : cases) {
    const Settings s = buttonSettings(c.pictures, c.buttontype, c.checked);
    PicBtnState b(s, c.enabled);
    EXPECT_EQ(drive(b, s, c.script), c.signature) << c.name;
    EXPECT_FALSE(b.holdsMouse()) << c.name << ": the mouse is given back by the end";
  }
}

// Guards against a button that never learns the pointer left, or keeps
// following it for ever.
TEST(KindPicBtn, FollowsThePointerOnlyWhileHoveredOrHeld) {
  const Settings s = buttonSettings("NHPD");
  struct Case {
    const char* script;
    bool following;
  } cases[] = {
      {"in", true}, {"in out", false}, {"in away", false}, {"down out", true},
      {"down away", true}, {"down out upOut", false}, {"in up", true}, {"in disable", false},
  };
  for (const Case& c : cases) {
    PicBtnState b(s, true);
    drive(b, s, c.script);
    EXPECT_EQ(b.following(), c.following) << c.script;
  }
}

// Guards against a toggle button losing its state or reporting the wrong one.
TEST(KindPicBtn, ToggleCheckedFollowsReleasesInside) {
  const Settings s = buttonSettings("NP", 1, true);
  PicBtnState b(s, true);
  EXPECT_TRUE(b.checked());
  drive(b, s, "down up");
  EXPECT_FALSE(b.checked());
  drive(b, s, "down upOut");
  EXPECT_FALSE(b.checked());
  drive(b, s, "downElsewhere up");
  EXPECT_TRUE(b.checked());
}

}  // namespace
