// The POSIX stand-in for the shell operations; what it models is listed in
// shellops_posix.h.
#include "platform/shellops_posix.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/gbk.h"

namespace platform {
namespace {

constexpr unsigned kReadOnly = 0x1, kHidden = 0x2, kSystem = 0x4;
constexpr const char* kDosAttrib = "user.DOSATTRIB";
constexpr std::size_t kMaxPath = 260;  // what the A functions accept

std::uint32_t fromErrno(int e) {
  switch (e) {
    case 0: return err::genFailure;
    case ENOENT:
    case ENOTDIR: return err::pathNotFound;
    case EEXIST: return err::alreadyExists;
    case EACCES:
    case EPERM:
    case EISDIR: return err::accessDenied;
    case EROFS: return err::writeProtect;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return err::diskFull;
    case ENAMETOOLONG: return err::filenameTooLong;
    case ENOMEM: return err::notEnoughMemory;
    case EWOULDBLOCK: return err::sharingViolation;
    default: return err::genFailure;
  }
}

ShellStatus lastErrno() { return ShellStatus::failed(fromErrno(errno)); }

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// GBK bytes to UTF-8; false when `in` is not valid GBK.
bool gbkToUtf8(const std::string& in, std::string& out) {
  iconv_t cd = iconv_open("UTF-8", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string buffer(in.size() * 2 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  char* dst = &buffer[0];
  std::size_t dstLeft = buffer.size();
  const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok) return false;
  buffer.resize(buffer.size() - dstLeft);
  out = std::move(buffer);
  return true;
}

// Characters a Windows file name may not hold.
bool forbiddenInName(unsigned char c) {
  return c < 0x20 || std::strchr("<>:\"|?*", c) != nullptr;
}

struct Mapped {
  std::string host;  // Linux path; empty when `error` is set
  std::uint32_t error = err::none;
};

// Splits a Windows path into its drive letter and its parts, resolving ".",
// ".." and the trailing dots and spaces Windows drops from every name.
Mapped mapPath(const std::string& root, const std::string& cwd, const std::string& path) {
  if (path.empty()) return {"", err::pathNotFound};
  if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    return {"", err::badNetPath};  // no network in the stand-in
  }
  std::string full;
  if (path.size() >= 2 && path[1] == ':') {
    full = path;
  } else if (isSeparator(path[0])) {
    full = cwd.substr(0, 2) + path;  // the current drive
  } else {
    full = cwd + "\\" + path;
  }
  if (full.size() < 2 || full[1] != ':' || !std::isalpha(static_cast<unsigned char>(full[0]))) {
    return {"", err::invalidName};
  }
  if (full.size() >= kMaxPath) return {"", err::filenameTooLong};

  std::vector<std::string> parts;
  std::string part;
  auto flush = [&]() -> std::uint32_t {
    if (part == "." || part.empty()) {
    } else if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else {
      while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
      if (part.empty()) return err::invalidName;
      for (unsigned char c : part) {
        if (forbiddenInName(c)) return err::invalidName;
      }
      std::string utf8;
      if (!gbkToUtf8(part, utf8)) return err::invalidName;
      parts.push_back(std::move(utf8));
    }
    part.clear();
    return err::none;
  };
  for (std::size_t i = 2; i < full.size();) {
    const std::size_t n = gbkCharLength(full, i);
    if (n == 1 && isSeparator(full[i])) {
      if (std::uint32_t e = flush()) return {"", e};
    } else {
      part.append(full, i, n);
    }
    i += n;
  }
  if (std::uint32_t e = flush()) return {"", e};

  std::string host = root + "/" + static_cast<char>(std::tolower(static_cast<unsigned char>(full[0])));
  for (const std::string& p : parts) host += "/" + p;
  return {host, err::none};
}

std::string parentOf(const std::string& host) {
  const std::size_t slash = host.rfind('/');
  return slash == std::string::npos ? "." : host.substr(0, slash);
}

// Writes all of `bytes` to `fd`, then flushes them to the disk.
bool writeAllAndSync(int fd, const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return ::fsync(fd) == 0;
}

bool writeTextFile(const std::string& host, const std::string& text) {
  const int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool ok = writeAllAndSync(fd, reinterpret_cast<const unsigned char*>(text.data()), text.size());
  const int saved = errno;
  ::close(fd);
  errno = saved;
  return ok;
}

// The program a command line names, found the way CreateProcess finds it: a
// quoted first token, or else ever longer space-separated prefixes, each
// with ".exe" added when its last part has no extension.
std::vector<std::string> programCandidates(const std::string& commandLine) {
  std::vector<std::string> candidates;
  auto withExe = [](std::string name) {
    const std::size_t sep = gbkFindLast(name, '\\');
    const std::string last = sep == std::string::npos ? name : name.substr(sep + 1);
    if (last.find('.') == std::string::npos) name += ".exe";
    return name;
  };
  if (!commandLine.empty() && commandLine[0] == '"') {
    const std::size_t close = commandLine.find('"', 1);
    candidates.push_back(withExe(commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
    return candidates;
  }
  for (std::size_t i = 0; i <= commandLine.size(); ++i) {
    if (i == commandLine.size() || commandLine[i] == ' ' || commandLine[i] == '\t') {
      if (i > 0) candidates.push_back(withExe(commandLine.substr(0, i)));
    }
  }
  return candidates;
}

}  // namespace

unsigned readDosAttributes(const std::string& hostPath) {
  char value[64] = {};
  const ssize_t n = ::getxattr(hostPath.c_str(), kDosAttrib, value, sizeof value - 1);
  unsigned attributes = 0;
  if (n > 0) attributes = static_cast<unsigned>(std::strtoul(value, nullptr, 16));
  struct stat st;
  if (::stat(hostPath.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0) attributes |= kReadOnly;
  return attributes;
}

bool writeDosAttributes(const std::string& hostPath, unsigned attributes) {
  struct stat st;
  if (::stat(hostPath.c_str(), &st) != 0) return false;
  // Read-only is the owner's write bit, as Wine keeps it.
  const mode_t mode = (attributes & kReadOnly) ? (st.st_mode & ~S_IWUSR) : (st.st_mode | S_IWUSR);
  if (::chmod(hostPath.c_str(), mode & 07777) != 0) return false;
  char value[16];
  std::snprintf(value, sizeof value, "0x%x", attributes & ~kReadOnly);
  return ::setxattr(hostPath.c_str(), kDosAttrib, value, std::strlen(value), 0) == 0;
}

PosixShellOps::PosixShellOps(Config config) : config_(std::move(config)) {}

std::string PosixShellOps::hostPath(const std::string& windowsPath) const {
  return mapPath(config_.root, config_.currentDirectory, windowsPath).host;
}

bool PosixShellOps::fileExists(const std::string& path) {
  const Mapped m = mapPath(config_.root, config_.currentDirectory, path);
  struct stat st;
  return m.error == err::none && ::stat(m.host.c_str(), &st) == 0;
}

ShellStatus PosixShellOps::createFolder(const std::string& path) {
  const Mapped m = mapPath(config_.root, config_.currentDirectory, path);
  if (m.error) return ShellStatus::failed(m.error);
  return ::mkdir(m.host.c_str(), 0755) == 0 ? ShellStatus::ok() : lastErrno();
}

ShellStatus PosixShellOps::writeFile(const std::string& path, ByteView bytes) {
  const Mapped m = mapPath(config_.root, config_.currentDirectory, path);
  if (m.error) return ShellStatus::failed(m.error);

  // Look at what is there first: the replacement below would not refuse it.
  int held = -1;  // the earlier file, locked while it is replaced
  struct stat st;
  if (::lstat(m.host.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return ShellStatus::failed(err::alreadyExists);
    if (readDosAttributes(m.host) & (kReadOnly | kHidden | kSystem)) {
      return ShellStatus::failed(err::accessDenied);
    }
    held = ::open(m.host.c_str(), O_RDONLY | O_CLOEXEC);
    if (held < 0) return lastErrno();
    if (::flock(held, LOCK_EX | LOCK_NB) != 0) {
      ::close(held);
      return ShellStatus::failed(err::sharingViolation);
    }
  } else if (errno != ENOENT) {
    return lastErrno();
  }

  std::string temp = parentOf(m.host) + "/.setup-XXXXXX";
  const int fd = ::mkostemp(&temp[0], O_CLOEXEC);
  ShellStatus status = ShellStatus::ok();
  if (fd < 0) {
    status = lastErrno();
  } else {
    if (!writeAllAndSync(fd, bytes.data, bytes.size)) status = lastErrno();
    ::fchmod(fd, 0644);
    if (::close(fd) != 0 && status) status = lastErrno();
    if (status && ::rename(temp.c_str(), m.host.c_str()) != 0) status = lastErrno();
    if (!status) ::unlink(temp.c_str());
  }
  if (held >= 0) ::close(held);
  return status;
}

ShellStatus PosixShellOps::setHidden(const std::string& path) {
  const Mapped m = mapPath(config_.root, config_.currentDirectory, path);
  if (m.error) return ShellStatus::failed(m.error);
  struct stat st;
  if (::stat(m.host.c_str(), &st) != 0) {
    return ShellStatus::failed(errno == ENOENT ? err::fileNotFound : fromErrno(errno));
  }
  return writeDosAttributes(m.host, kHidden) ? ShellStatus::ok() : lastErrno();
}

std::string PosixShellOps::specialFolder(SpecialFolder kind) {
  std::string dir = kind == SpecialFolder::desktop ? config_.desktop : config_.programs;
  if (dir.empty()) return "";
  struct stat st;
  const Mapped m = mapPath(config_.root, config_.currentDirectory, dir);
  if (m.error || ::stat(m.host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "";
  const std::size_t last = gbkLastChar(dir);
  if (dir[last] != '\\') dir += '\\';
  return dir;
}

ShellStatus PosixShellOps::createShortcut(const std::string& linkPath, const std::string& target,
                                          const std::string& description) {
  const Mapped m = mapPath(config_.root, config_.currentDirectory, shortcutFileName(linkPath));
  if (m.error) return ShellStatus::failed(m.error);
  std::string targetUtf8, descriptionUtf8;
  if (!gbkToUtf8(target, targetUtf8) || !gbkToUtf8(description, descriptionUtf8)) {
    return ShellStatus::failed(err::invalidName);
  }
  const std::string text = "[shortcut]\ntarget=" + targetUtf8 + "\ndescription=" + descriptionUtf8 +
                           "\nshowcmd=5\n";
  return writeTextFile(m.host, text) ? ShellStatus::ok() : lastErrno();
}

std::string PosixShellOps::browseForFolder(const std::string& title,
                                           const std::vector<NativeWindow>&) {
  calls.push_back("browse:" + title);
  if (browseAnswers.empty()) return "";
  std::string answer = std::move(browseAnswers.front());
  browseAnswers.pop_front();
  return answer;
}

bool PosixShellOps::askYesNo(NativeWindow, const std::string& question, const std::string&) {
  calls.push_back("askYesNo:" + question);
  if (yesNoAnswers.empty()) return false;
  const bool answer = yesNoAnswers.front();
  yesNoAnswers.pop_front();
  return answer;
}

ShellStatus PosixShellOps::runAndWait(const std::string& commandLine) {
  calls.push_back("run:" + commandLine);
  if (runScript) return runScript(commandLine);
  for (const std::string& program : programCandidates(commandLine)) {
    const Mapped m = mapPath(config_.root, config_.currentDirectory, program);
    struct stat st;
    if (!m.error && ::stat(m.host.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return ShellStatus::ok();
  }
  return ShellStatus::failed(err::fileNotFound);
}

std::string describeError(std::uint32_t code) {
  switch (code) {
    case err::fileNotFound: return "系统找不到指定的文件。";
    case err::pathNotFound: return "系统找不到指定的路径。";
    case err::accessDenied: return "拒绝访问。";
    case err::notEnoughMemory: return "存储空间不足，无法处理此命令。";
    case err::writeProtect: return "介质受写入保护。";
    case err::sharingViolation: return "另一个程序正在使用此文件，进程无法访问。";
    case err::badNetPath: return "找不到网络路径。";
    case err::diskFull: return "磁盘空间不足。";
    case err::invalidName: return "文件名、目录名或卷标语法不正确。";
    case err::alreadyExists: return "当文件已存在时，无法创建该文件。";
    case err::filenameTooLong: return "文件名或扩展名太长。";
    default: return "未知错误。";
  }
}

}  // namespace platform
