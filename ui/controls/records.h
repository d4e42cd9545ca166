// Window and control records: every installer window is declared as data —
// kind, name, ids, rectangle, parent, flags, bindings and the settings of its
// kind — and the live control tree is built from it when the window loads.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/backend/canvas.h"

namespace ui {

enum class Kind { window, PicBox, PicBtn, ShapeBox, Label, TransLabel, EditBox, Timer };

// Flags of a control record.
enum ControlFlags : unsigned { flagVisible = 1, flagDisabled = 2, flagTabStop = 4 };

// Event indices. A kind's own events count from 0; the shared mouse and
// keyboard events are negative and the same for every kind.
namespace ev {
constexpr int created = 0;          // window
constexpr int clicked = 0;          // PicBtn
constexpr int contentChanged = 0;   // EditBox
constexpr int tick = 0;             // Timer
constexpr int leftButtonPressed = -1, leftButtonReleased = -2, leftButtonDoubleClicked = -3,
              rightButtonPressed = -4, rightButtonReleased = -5, mouseMoved = -6, focusGained = -7,
              focusLost = -8, keyPressed = -9, keyReleased = -10, characterTyped = -11,
              wheelTurned = -12;
}  // namespace ev

// A handler gets the event's arguments and ends with or without a result.
using Handler = std::function<std::optional<std::int32_t>(const std::vector<std::int32_t>& args)>;

struct Binding {
  int event;
  Handler handler;
};

// What fireEvent tells whoever fired: whether a handler ran, and its result.
struct EventResult {
  bool handled = false;
  std::optional<std::int32_t> value;
  // True when the message that caused the event is to be kept from the control.
  bool discards() const { return handled && value && *value == 0; }
};

// Every kind's settings in one record; what a kind does not have keeps its
// neutral value. Colours 0x00BBGGRR, kDefaultColour the default marker.
struct Settings {
  std::string caption;
  std::uint32_t bgcolour = kDefaultColour;
  int border = 0;
  // window
  int position = 0;
  bool showintaskbar = false, escapecloses = false, entermovesfocus = false, dragbyclient = false;
  std::string bgpicture;
  int picmode = 0;
  // PicBox
  std::string picture;
  bool animate = false;
  // PicBtn
  int buttontype = 0;
  bool checked = false;
  std::string picNormal, picHover, picPressed, picDisabled;
  std::uint32_t transparentcolour = kDefaultColour;
  // ShapeBox
  int shape = 0, relief = 0, linestyle = 0, linewidth = 1;
  std::uint32_t linecolour = 0, fillcolour = kDefaultColour;
  // Label, TransLabel
  std::uint32_t textcolour = 0;
  Font font;
  int halign = 0, valign = 0;
  bool wrap = false;
  int effect = 0;
  // EditBox
  std::string content;
  bool multiline = false;
  int scrollbars = 0, inputmode = 0, align = 0, maxlen = 0;
  bool hidesel = false;
  int selstart = 0, sellen = 0;
  // Timer
  int period = 0;
};

constexpr int kNoParent = -1;

struct ControlRecord {
  Kind kind;
  std::string name;       // unique within its window
  int id;                 // unique within its window
  Rect rect;              // relative to the parent's client area
  int parent = kNoParent; // the id of a PicBox or ShapeBox of the same window
  unsigned flags = flagVisible;
  std::vector<Binding> bindings;  // the first entry for an index counts
  Settings settings;
};

}  // namespace ui
