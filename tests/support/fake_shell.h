// A recording fake of the shell operations: an in-memory Windows file system
// that keeps the contract of the real ones (one-level folder creation,
// refusals of protected, held and folder targets) and logs every call, so the
// core's tests can check order and effects without touching a disk.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/gbk.h"
#include "platform/shellops.h"

namespace testing_support {

class FakeShell : public platform::ShellOps {
 public:
  struct Entry {
    bool folder = false;
    std::string bytes;
    unsigned attributes = 0;  // 0x1 read-only, 0x2 hidden, 0x4 system
    bool heldOpen = false;
    // For shortcuts:
    std::string target, description;
  };

  std::map<std::string, Entry> entries;  // by exact path, no trailing separator
  std::set<char> drives{'C', 'D', 'E'};
  std::string desktop = "C:\\Users\\u\\Desktop\\";
  std::string programs = "C:\\Users\\u\\Start Menu\\Programs\\";
  std::map<std::string, std::uint32_t> failures;  // "op:path" -> error to report
  std::vector<std::string> log;                    // "op:path"

  FakeShell() {
    addFolderPath("C:\\Users\\u\\Desktop");
    addFolderPath("C:\\Users\\u\\Start Menu\\Programs");
  }

  // Makes every level of `path` exist as a folder.
  void addFolderPath(const std::string& path) {
    for (std::size_t i = 3; i <= path.size(); i += (i < path.size() ? platform::gbkCharLength(path, i) : 1)) {
      if (i == path.size() || path[i] == '\\') entries[path.substr(0, i)].folder = true;
    }
  }
  void addFile(const std::string& path, std::string bytes, unsigned attributes = 0) {
    Entry e;
    e.bytes = std::move(bytes);
    e.attributes = attributes;
    entries[path] = e;
  }
  const Entry* find(const std::string& path) const {
    auto it = entries.find(trim(path));
    return it == entries.end() ? nullptr : &it->second;
  }
  std::vector<std::string> logOf(const std::string& op) const {
    std::vector<std::string> out;
    for (const auto& line : log) {
      if (line.compare(0, op.size() + 1, op + ":") == 0) out.push_back(line.substr(op.size() + 1));
    }
    return out;
  }

  bool fileExists(const std::string& path) override {
    log.push_back("fileExists:" + path);
    return find(path) != nullptr;
  }

  platform::ShellStatus createFolder(const std::string& path) override {
    log.push_back("createFolder:" + path);
    if (auto f = injected("createFolder", path)) return platform::ShellStatus::failed(f);
    if (find(path)) return platform::ShellStatus::failed(platform::err::alreadyExists);
    if (!parentExists(path)) return platform::ShellStatus::failed(platform::err::pathNotFound);
    entries[trim(path)].folder = true;
    return platform::ShellStatus::ok();
  }

  platform::ShellStatus writeFile(const std::string& path, platform::ByteView bytes) override {
    log.push_back("writeFile:" + path);
    if (path.empty()) return platform::ShellStatus::failed(platform::err::pathNotFound);
    if (auto f = injected("writeFile", path)) return platform::ShellStatus::failed(f);
    if (!parentExists(path)) return platform::ShellStatus::failed(platform::err::pathNotFound);
    if (const Entry* e = find(path)) {
      if (e->folder) return platform::ShellStatus::failed(platform::err::alreadyExists);
      if (e->attributes & 0x7) return platform::ShellStatus::failed(platform::err::accessDenied);
      if (e->heldOpen) return platform::ShellStatus::failed(platform::err::sharingViolation);
    }
    Entry fresh;
    fresh.bytes.assign(reinterpret_cast<const char*>(bytes.data), bytes.size);
    entries[trim(path)] = fresh;
    return platform::ShellStatus::ok();
  }

  platform::ShellStatus setHidden(const std::string& path) override {
    log.push_back("setHidden:" + path);
    if (auto f = injected("setHidden", path)) return platform::ShellStatus::failed(f);
    auto it = entries.find(trim(path));
    if (it == entries.end()) return platform::ShellStatus::failed(platform::err::fileNotFound);
    it->second.attributes = 0x2;
    return platform::ShellStatus::ok();
  }

  std::string specialFolder(platform::SpecialFolder kind) override {
    log.push_back(std::string("specialFolder:") +
                  (kind == platform::SpecialFolder::desktop ? "desktop" : "programs"));
    return kind == platform::SpecialFolder::desktop ? desktop : programs;
  }

  platform::ShellStatus createShortcut(const std::string& linkPath, const std::string& target,
                                       const std::string& description) override {
    const std::string name = platform::shortcutFileName(linkPath);
    log.push_back("createShortcut:" + name);
    if (auto f = injected("createShortcut", name)) return platform::ShellStatus::failed(f);
    if (!parentExists(name)) return platform::ShellStatus::failed(platform::err::pathNotFound);
    Entry e;
    e.target = target;
    e.description = description;
    entries[name] = e;
    return platform::ShellStatus::ok();
  }

  std::string browseForFolder(const std::string& title, const std::vector<platform::NativeWindow>&) override {
    log.push_back("browse:" + title);
    return "";
  }
  bool askYesNo(platform::NativeWindow, const std::string& question, const std::string&) override {
    log.push_back("askYesNo:" + question);
    return false;
  }
  platform::ShellStatus runAndWait(const std::string& commandLine) override {
    log.push_back("run:" + commandLine);
    return platform::ShellStatus::ok();
  }

 private:
  static std::string trim(const std::string& path) {
    std::size_t last = platform::gbkLastChar(path);
    if (last != std::string::npos && path[last] == '\\' && last > 2) return path.substr(0, last);
    return path;
  }
  bool parentExists(const std::string& path) const {
    const std::string p = trim(path);
    const std::size_t sep = platform::gbkFindLast(p, '\\');
    if (sep == std::string::npos) return false;
    if (sep == 2 && p[1] == ':') return drives.count(p[0]) > 0;
    const Entry* parent = find(p.substr(0, sep));
    return parent && parent->folder;
  }
  std::uint32_t injected(const std::string& op, const std::string& path) const {
    auto it = failures.find(op + ":" + path);
    return it == failures.end() ? 0 : it->second;
  }
};

}  // namespace testing_support
