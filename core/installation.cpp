// The installation routine and its report.
#include <utility>

#include "core/install.h"
#include "core/text.h"
#include "platform/gbk.h"

namespace core {
namespace {

using platform::ShellOps;
using platform::ShellStatus;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Length of the part of `dir` that names a drive or share rather than a
// folder to create: "C:\", "C:", "\\server\share\", "\", or nothing for a
// relative path.
std::size_t rootLength(const std::string& dir) {
  if (dir.size() >= 2 && dir[1] == ':') return (dir.size() >= 3 && isSeparator(dir[2])) ? 3 : 2;
  if (dir.size() >= 2 && isSeparator(dir[0]) && isSeparator(dir[1])) {
    // \\server\share\ : two more parts belong to the root.
    std::size_t i = 2;
    for (int part = 0; part < 2 && i < dir.size(); ++part) {
      while (i < dir.size() && !isSeparator(dir[i])) i += platform::gbkCharLength(dir, i);
      if (i < dir.size()) ++i;
    }
    return i;
  }
  if (!dir.empty() && isSeparator(dir[0])) return 1;
  return 0;
}

// Every folder level of `dir` below its root, outermost first.
std::vector<std::string> folderLevels(const std::string& dir) {
  std::vector<std::string> levels;
  const std::size_t root = rootLength(dir);
  std::size_t start = root;  // first byte of the current part
  for (std::size_t i = root; i <= dir.size();) {
    if (i == dir.size() || isSeparator(dir[i])) {
      if (i > start) levels.push_back(dir.substr(0, i));  // empty parts ("a\\b") add no level
      start = i + 1;
      if (i == dir.size()) break;
      ++i;
    } else {
      i += platform::gbkCharLength(dir, i);
    }
  }
  return levels;
}

class Recorder {
 public:
  explicit Recorder(InstallReport& report) : report_(report) {}

  void add(StepKind kind, std::string subject, StepOutcome outcome,
           std::uint32_t error = platform::err::none) {
    report_.steps.push_back(InstallStep{kind, std::move(subject), outcome, error});
  }
  // Records `status` as done or failed; true when it succeeded.
  bool add(StepKind kind, std::string subject, ShellStatus status) {
    add(kind, std::move(subject), status ? StepOutcome::done : StepOutcome::failed, status.error);
    return status.succeeded();
  }

 private:
  InstallReport& report_;
};

bool makeFolderLevels(ShellOps& shell, Recorder& rec) {
  for (std::string& level : folderLevels(installDir())) {
    if (shell.fileExists(level)) {
      rec.add(StepKind::folder, std::move(level), StepOutcome::kept);
      continue;
    }
    ShellStatus made = shell.createFolder(level);
    // Someone else may have made it between the look and the creation.
    if (made.error == platform::err::alreadyExists) made = ShellStatus::ok();
    if (!rec.add(StepKind::folder, std::move(level), made)) return false;
  }
  return true;
}

bool writePayload(ShellOps& shell, const Payload& payload, Recorder& rec) {
  const std::string path = installDir() + payload.targetName;
  switch (payload.policy) {
    case PayloadPolicy::onlyIfAbsent:
      if (shell.fileExists(path)) {
        rec.add(StepKind::file, path, StepOutcome::kept);
        return true;
      }
      return rec.add(StepKind::file, path, shell.writeFile(path, payload.content));
    case PayloadPolicy::always:
      return rec.add(StepKind::file, path, shell.writeFile(path, payload.content));
    case PayloadPolicy::alwaysThenHide: {
      const bool earlier = shell.fileExists(path);
      const ShellStatus written = shell.writeFile(path, payload.content);
      // writeFile refuses a hidden (or read-only, or system) file with
      // accessDenied and leaves it as it was: that is the earlier
      // installation's database, which holds the user's own records, and is
      // kept on purpose. Anything else in the way is a failure.
      if (!written && !(earlier && written.error == platform::err::accessDenied)) {
        rec.add(StepKind::file, path, written);
        return false;
      }
      rec.add(StepKind::file, path, written ? StepOutcome::done : StepOutcome::kept);
      return rec.add(StepKind::hide, path, shell.setHidden(path));
    }
  }
  return false;
}

// The special folder with its trailing separator, or empty after recording
// why there is none.
std::string lookUpFolder(ShellOps& shell, platform::SpecialFolder kind, Recorder& rec) {
  std::string dir = shell.specialFolder(kind);
  const char* name = kind == platform::SpecialFolder::desktop ? "桌面" : "开始菜单程序";
  if (dir.empty()) {
    rec.add(StepKind::specialFolder, name, StepOutcome::failed, platform::err::pathNotFound);
  } else if (!endsWithBackslash(dir)) {
    dir += '\\';
  }
  return dir;
}

void makeShortcuts(ShellOps& shell, Recorder& rec) {
  const std::string program = installDir() + payloadTable()[0].targetName;
  const std::string uninstaller = installDir() + payloadTable()[3].targetName;
  const char* const group = "Velmaro考试系统";

  const std::string desktop = lookUpFolder(shell, platform::SpecialFolder::desktop, rec);
  if (!desktop.empty()) {
    const std::string link = desktop + group;
    rec.add(StepKind::shortcut, platform::shortcutFileName(link),
            shell.createShortcut(link, program, SHORTCUT_DESCRIPTION));
  }

  const std::string programs = lookUpFolder(shell, platform::SpecialFolder::programs, rec);
  if (programs.empty()) return;
  const std::string groupDir = programs + group;
  if (shell.fileExists(groupDir)) {
    rec.add(StepKind::folder, groupDir, StepOutcome::kept);
  } else {
    ShellStatus made = shell.createFolder(groupDir);
    if (made.error == platform::err::alreadyExists) made = ShellStatus::ok();
    if (!rec.add(StepKind::folder, groupDir, made)) return;
  }
  const std::pair<const char*, const std::string*> links[] = {
      {"\\Velmaro考试系统", &program},
      {"\\卸载", &uninstaller},
  };
  for (const auto& [name, target] : links) {
    const std::string link = groupDir + name;
    rec.add(StepKind::shortcut, platform::shortcutFileName(link),
            shell.createShortcut(link, *target, SHORTCUT_DESCRIPTION));
  }
}

}  // namespace

const char* const SHORTCUT_DESCRIPTION = "Velmaro考试系统 版权所有 (C) Quorin软件 保留所有权利。";

bool InstallReport::succeeded() const { return firstFailure() == nullptr; }

const InstallStep* InstallReport::firstFailure() const {
  for (const InstallStep& step : steps) {
    if (step.outcome == StepOutcome::failed) return &step;
  }
  return nullptr;
}

InstallReport runInstallation(ShellOps& shell) {
  InstallReport report;
  Recorder rec(report);
  if (!makeFolderLevels(shell, rec)) return report;
  ensureTrailingSeparator();
  const Payload* table = payloadTable();
  for (int i = 0; i < kPayloadCount; ++i) {
    if (!writePayload(shell, table[i], rec)) return report;
  }
  makeShortcuts(shell, rec);
  return report;
}

std::string describeReport(const InstallReport& report) {
  if (report.succeeded()) return "安装完成。";
  std::string text;
  for (const InstallStep& step : report.steps) {
    if (step.outcome != StepOutcome::failed) continue;
    switch (step.kind) {
      case StepKind::folder: text += "无法创建文件夹："; break;
      case StepKind::file: text += "无法写入文件："; break;
      case StepKind::hide: text += "无法设置文件属性："; break;
      case StepKind::specialFolder: text += "找不到系统文件夹："; break;
      case StepKind::shortcut: text += "无法创建快捷方式："; break;
    }
    text += step.subject;
    text += "\r\n原因：";
    text += platform::describeError(step.error);
    text += "（错误代码 " + std::to_string(step.error) + "）\r\n";
    if (step.error == platform::err::sharingViolation) {
      text += "该文件正被其他程序使用。请先关闭正在运行的Velmaro考试系统，然后重试。\r\n";
    }
  }
  return text;
}

}  // namespace core
