// The platform layer: the one way the installation core and the windows reach
// the operating system's shell and file system.
//
// Owns: nine synchronous operations, each keeping no state between calls.
// Never: shows a message, writes a log or retries. A failure comes back only
// as a value (a `ShellStatus` carrying the system's error code, or an empty
// text), so the caller decides what the user is told.
// Escape hatch: none. No code outside platform/ calls the shell or file-system
// API directly; tests substitute a recording fake or the POSIX stand-in.
//
// Texts are byte strings in the ANSI code page (GBK); a text result is the
// caller's own, and the empty text means "nothing".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// System error codes, in the Windows numbering on every platform, so that a
// report reads the same whichever implementation produced it.
namespace err {
constexpr std::uint32_t none = 0;
constexpr std::uint32_t fileNotFound = 2;          // ERROR_FILE_NOT_FOUND
constexpr std::uint32_t pathNotFound = 3;          // ERROR_PATH_NOT_FOUND
constexpr std::uint32_t accessDenied = 5;          // ERROR_ACCESS_DENIED
constexpr std::uint32_t notEnoughMemory = 8;       // ERROR_NOT_ENOUGH_MEMORY
constexpr std::uint32_t writeProtect = 19;         // ERROR_WRITE_PROTECT
constexpr std::uint32_t sharingViolation = 32;     // ERROR_SHARING_VIOLATION
constexpr std::uint32_t diskFull = 112;            // ERROR_DISK_FULL
constexpr std::uint32_t badNetPath = 53;           // ERROR_BAD_NETPATH
constexpr std::uint32_t invalidName = 123;         // ERROR_INVALID_NAME
constexpr std::uint32_t badPathname = 161;         // ERROR_BAD_PATHNAME
constexpr std::uint32_t alreadyExists = 183;       // ERROR_ALREADY_EXISTS
constexpr std::uint32_t filenameTooLong = 206;     // ERROR_FILENAME_EXCED_RANGE
constexpr std::uint32_t directory = 267;           // ERROR_DIRECTORY
constexpr std::uint32_t invalidParameter = 87;     // ERROR_INVALID_PARAMETER
constexpr std::uint32_t cancelled = 1223;          // ERROR_CANCELLED
constexpr std::uint32_t notFound = 1168;           // ERROR_NOT_FOUND
constexpr std::uint32_t genFailure = 31;           // ERROR_GEN_FAILURE
}  // namespace err

// The outcome of one operation: the system's error code, 0 for success.
struct ShellStatus {
  std::uint32_t error = err::none;

  static ShellStatus ok() { return {}; }
  static ShellStatus failed(std::uint32_t code) {
    // A failure must never read as success, whatever the system reported.
    return ShellStatus{code == err::none ? err::genFailure : code};
  }
  bool succeeded() const { return error == err::none; }
  explicit operator bool() const { return succeeded(); }
};

// A view of read-only bytes (the embedded payloads live for the whole run).
struct ByteView {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
};

enum class SpecialFolder { desktop, programs };

// A native top-level window handle as the window layer knows it (an HWND on
// Windows); null means "no window".
using NativeWindow = void*;

class ShellOps {
 public:
  virtual ~ShellOps() = default;

  // True when a file or a folder of that name exists.
  virtual bool fileExists(const std::string& path) = 0;

  // Creates the last folder of `path` only; its parent must exist. Fails with
  // alreadyExists when the folder is there already.
  virtual ShellStatus createFolder(const std::string& path) = 0;

  // Writes `bytes` as the whole content of `path`, atomically: the bytes go to
  // a temporary file in the same folder, are flushed, and only then replace
  // the target. On any failure the temporary file is removed and an earlier
  // target is exactly as it was. A target with the hidden or system attribute,
  // or one that another process holds open, is refused and left alone.
  virtual ShellStatus writeFile(const std::string& path, ByteView bytes) = 0;

  // The file's attributes become hidden alone (read-only, system, archive cleared).
  virtual ShellStatus setHidden(const std::string& path) = 0;

  // The current user's folder with a trailing backslash; empty when the
  // system cannot name it.
  virtual std::string specialFolder(SpecialFolder kind) = 0;

  // Saves a shortcut at `linkPath` (".lnk" appended when its last part has no
  // dot) to `target`; an existing link of that name is overwritten.
  virtual ShellStatus createShortcut(const std::string& linkPath, const std::string& target,
                                     const std::string& description) = 0;

  // The system's folder browser. `installerWindows` are the installer's open
  // top-level windows: they are disabled while the browser is open and get
  // their earlier state back afterwards. Empty on cancel.
  virtual std::string browseForFolder(const std::string& title,
                                      const std::vector<NativeWindow>& installerWindows) = 0;

  // A yes/no question with the question icon, task-modal; `owner` may be null.
  virtual bool askYesNo(NativeWindow owner, const std::string& question,
                        const std::string& caption) = 0;

  // Starts `commandLine` exactly as given and waits until the program ends.
  virtual ShellStatus runAndWait(const std::string& commandLine) = 0;
};

// Appends ".lnk" unless the last part of `linkPath` (after the last
// backslash, whole GBK characters) already has a dot.
std::string shortcutFileName(const std::string& linkPath);

// The system's text for an error code, in the ANSI code page; never empty.
std::string describeError(std::uint32_t code);

}  // namespace platform
