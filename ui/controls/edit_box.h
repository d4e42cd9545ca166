// The EditBox control: the one control with a native child, the system's
// edit box. The text lives in the child; this object creates it from the
// record's settings and turns the child's change notices and the `content`
// writes into `contentChanged`, exactly once each.
//
// Owns: the write mark. The child itself goes with its window.
// Never: fires anything for the text set at creation.
//
// Not built yet:
//  - a single-line box is made at least one line of its font (the height of
//    吴) plus twice the system edge height high at creation; the window system
//    cannot measure a font yet, so the caller's rectangle is used as given.
//  - the selection from `selstart`/`sellen` and the caret scrolled into view;
//    the window system has no call for them yet (the system's default, caret
//    at the start, is what both zero values ask for).
#pragma once

#include <cstdint>
#include <string>

#include "ui/backend/window_system.h"
#include "ui/controls/events.h"
#include "ui/controls/records.h"

namespace ui {

// The native child's description from the settings; `inWindow` is the box's
// rectangle in window client coordinates, `buttonFace` what a default
// background colour stands for.
EditSpec editSpecFor(const Settings& settings, Rect inWindow, std::uint32_t buttonFace);

class EditBoxKind {
 public:
  // Creates the child with the record's `content`. `record` and `gate`
  // outlive the box.
  EditBoxKind(WindowSystem& system, NativeWindow parent, const ControlRecord& record,
              Rect inWindow, std::uint32_t buttonFace, const EventGate& gate);
  EditBoxKind(const EditBoxKind&) = delete;
  EditBoxKind& operator=(const EditBoxKind&) = delete;

  NativeWindow native() const { return edit_; }
  bool created() const { return edit_ != nullptr; }

  // The `content` property: the text as shown now.
  std::string readContent() const;
  // Replaces the text, then fires `contentChanged` once, even for the same
  // text. The event runs before this returns; its handler may write again
  // (nested) or destroy the window, and this object with it.
  void writeContent(const std::string& text);

  // An `editChanged` notice from this box's child: fires `contentChanged`
  // unless it is the echo of a write in progress.
  void onNativeChange();
  void onFocusGained();
  void onFocusLost();

 private:
  WindowSystem& system_;
  NativeWindow edit_ = nullptr;
  const ControlRecord& record_;
  const EventGate& gate_;
  bool writing_ = false;  // set only while a write replaces the text
};

}  // namespace ui
