// install-into FOLDER: one whole installation into FOLDER with the real shell
// operations of this build, for manual checks and benchmarks. Prints the
// report and exits 0 only when the installation succeeded.
//
// The folder is taken as given (on Linux converted from the console's UTF-8), like the path box's text; the
// product-folder rule is not applied, so the files land exactly there.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/install.h"

#ifdef _WIN32
#include <windows.h>
#include <ole2.h>
#include "platform/shellops_win32.h"
#else
#include <iconv.h>
#include "platform/shellops_posix.h"
#endif

namespace {

const char* kindName(core::StepKind kind) {
  switch (kind) {
    case core::StepKind::folder: return "folder";
    case core::StepKind::file: return "file";
    case core::StepKind::hide: return "hide";
    case core::StepKind::specialFolder: return "lookup";
    case core::StepKind::shortcut: return "link";
  }
  return "?";
}

const char* outcomeName(core::StepOutcome outcome) {
  switch (outcome) {
    case core::StepOutcome::done: return "done";
    case core::StepOutcome::kept: return "kept";
    case core::StepOutcome::failed: return "FAILED";
  }
  return "?";
}

// The Linux stand-in's console speaks UTF-8, the installer GBK; on Windows
// both are the ANSI code page already.
std::string convert(const std::string& text, const char* to, const char* from) {
#ifdef _WIN32
  (void)to;
  (void)from;
  return text;
#else
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out(text.size() * 2 + 4, '\0');
  char* src = const_cast<char*>(text.data());
  char* dst = &out[0];
  std::size_t srcLeft = text.size(), dstLeft = out.size();
  const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok) return text;
  out.resize(out.size() - dstLeft);
  return out;
#endif
}
std::string forConsole(const std::string& gbk) { return convert(gbk, "UTF-8", "GBK"); }
std::string fromConsole(const std::string& text) { return convert(text, "GBK", "UTF-8"); }

#ifndef _WIN32
// The stand-in needs to know where its drives are: VELMARO_ROOT (default
// ./root), with the user's folders below C:\Users\user.
std::unique_ptr<platform::ShellOps> makeShell() {
  const char* root = std::getenv("VELMARO_ROOT");
  platform::PosixShellOps::Config config;
  config.root = root ? root : "root";
  config.currentDirectory = "C:\\";
  config.desktop = "C:\\Users\\user\\Desktop";
  config.programs = "C:\\Users\\user\\Start Menu\\Programs";
  return std::make_unique<platform::PosixShellOps>(config);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: install-into FOLDER\n");
    return 2;
  }
#ifdef _WIN32
  if (FAILED(OleInitialize(nullptr))) {
    std::fprintf(stderr, "install-into: OLE could not be initialised\n");
    return 1;
  }
  platform::Win32ShellOps shell;
#else
  std::unique_ptr<platform::ShellOps> owned = makeShell();
  platform::ShellOps& shell = *owned;
#endif
  core::setInstallDir(fromConsole(argv[1]));
  const core::InstallReport report = core::runInstallation(shell);
  for (const core::InstallStep& step : report.steps) {
    std::printf("%-6s %-6s %s", outcomeName(step.outcome), kindName(step.kind), forConsole(step.subject).c_str());
    if (step.outcome == core::StepOutcome::failed) std::printf("  (error %u)", step.error);
    std::printf("\n");
  }
  std::printf("%s\n", forConsole(core::describeReport(report)).c_str());
  core::releaseInstallDir();
#ifdef _WIN32
  OleUninitialize();
#endif
  return report.succeeded() ? 0 : 1;
}
