// The installation core: the install-directory rules and the routine that
// writes the embedded files and makes the shortcuts.
//
// Owns: `installDir`, the one program-wide value of the system.
// Never: calls into the window layer. The path box is reached through the
// two-function `PathBox`, and every system call goes through `ShellOps`, so
// the core builds and is tested without any user interface.
// Escape hatch: none; what the user must be told comes back as an
// `InstallReport`, and the caller decides how to show it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/shellops.h"

namespace core {

// --- installDir -----------------------------------------------------------

// The install folder as GBK bytes; empty until the first rule stores it.
const std::string& installDir();
// Replaces the value (the previous text is released).
void setInstallDir(std::string value);
// The exit clean-up: releases the text.
void releaseInstallDir();

// --- directory rules --------------------------------------------------------

extern const char* const DEFAULT_INSTALL_DIR;  // "C:\Program Files\2017Velmaro"
extern const char* const PRODUCT_FOLDER;       // "Quorin软件"

// The welcome window's path box as the rules see it. `write` raises the box's
// content-changed event (and so Rule 1) before it returns, as the real box does.
class PathBox {
 public:
  virtual ~PathBox() = default;
  virtual std::string read() = 0;
  virtual void write(const std::string& text) = 0;
};

// Rule 1, bound to the box's content-changed event: an empty box gets the
// default folder back, and the box's text becomes installDir.
void resetPathIfEmpty(PathBox& box);
// Rule 2: the folder browser's result (empty on cancel) replaces the box's text.
void applyBrowseResult(PathBox& box, const std::string& result);
// Rule 3, on quick install: installDir ends up inside the product folder.
void applyProductFolder(PathBox& box);
// Rule 4, before file names are joined: installDir ends in a backslash.
void ensureTrailingSeparator();

// --- payloads -----------------------------------------------------------------

enum class PayloadPolicy {
  always,          // create or replace
  alwaysThenHide,  // as always, then the attributes become hidden alone
  onlyIfAbsent,    // only when no file or folder of that name exists
};

struct Payload {
  const char* targetName;  // joined directly to installDir
  platform::ByteView content;
  PayloadPolicy policy;
};

// The four embedded files in the order they are written: exam program,
// database, configuration, uninstaller.
constexpr int kPayloadCount = 4;
const Payload* payloadTable();

// --- the installation routine ---------------------------------------------------

enum class StepKind {
  folder,         // one level of installDir, or the start-menu group
  file,           // one payload written
  hide,           // the database made hidden
  specialFolder,  // the desktop or start-menu programs folder looked up
  shortcut,       // one shortcut saved
};

enum class StepOutcome {
  done,    // the step did its work
  kept,    // an intended keep: existing folder, earlier database, existing configuration
  failed,  // the system refused; `error` says why
};

struct InstallStep {
  StepKind kind;
  std::string subject;  // the path the step is about (GBK)
  StepOutcome outcome;
  std::uint32_t error = platform::err::none;
};

struct InstallReport {
  std::vector<InstallStep> steps;

  // True when nothing failed: all four files are in place and the three
  // shortcuts exist.
  bool succeeded() const;
  // The first failed step, or null.
  const InstallStep* firstFailure() const;
};

// Creates every missing level of installDir, ensures its trailing separator,
// writes the four payloads by their policies and, only when all four files are
// in place, makes the desktop shortcut and the start-menu group with its two
// shortcuts. Stops at the first folder or file step that fails; a special
// folder that cannot be found skips its own shortcuts only.
InstallReport runInstallation(platform::ShellOps& shell);

// The report as lines of text for the user, in GBK: what failed and why, or
// that everything was installed.
std::string describeReport(const InstallReport& report);

// The fixed rights notice that every shortcut carries as its description.
extern const char* const SHORTCUT_DESCRIPTION;

}  // namespace core
