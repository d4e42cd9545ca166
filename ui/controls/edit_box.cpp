#include "ui/controls/edit_box.h"

namespace ui {

EditSpec editSpecFor(const Settings& s, Rect inWindow, std::uint32_t buttonFace) {
  EditSpec spec;
  spec.rect = inWindow;
  spec.text = s.content;
  spec.multiline = s.multiline;
  spec.readOnly = s.inputmode == 1;
  spec.verticalScroll = (s.scrollbars & 2) != 0;
  // The default marker means "none" for text, so the system's black stays;
  // as a background it stands for the button face.
  if (s.textcolour != kDefaultColour) spec.textColour = s.textcolour;
  spec.backColour = s.bgcolour == kDefaultColour ? buttonFace : s.bgcolour;
  if (s.font.stored) {
    spec.fontFace = s.font.face;
    spec.fontHeight = s.font.height;
    spec.fontWeight = s.font.weight;
    spec.underline = s.font.underline;
  }
  return spec;
}

EditBoxKind::EditBoxKind(WindowSystem& system, NativeWindow parent, const ControlRecord& record,
                         Rect inWindow, std::uint32_t buttonFace, const EventGate& gate)
    : system_(system), record_(record), gate_(gate) {
  // The initial text comes with the EditSpec, which sets off no change notice;
  // the mark covers a system that would send one anyway.
  writing_ = true;
  edit_ = system_.createEdit(parent, editSpecFor(record.settings, inWindow, buttonFace));
  writing_ = false;
}

std::string EditBoxKind::readContent() const { return edit_ ? system_.editText(edit_) : std::string(); }

void EditBoxKind::writeContent(const std::string& text) {
  writing_ = true;
  if (edit_) system_.setEditText(edit_, text);
  writing_ = false;
  // Last: the handler may destroy this box.
  gate_.fire(record_.bindings, ev::contentChanged);
}

void EditBoxKind::onNativeChange() {
  if (writing_) return;
  gate_.fire(record_.bindings, ev::contentChanged);
}

void EditBoxKind::onFocusGained() { gate_.fire(record_.bindings, ev::focusGained); }
void EditBoxKind::onFocusLost() { gate_.fire(record_.bindings, ev::focusLost); }

}  // namespace ui
