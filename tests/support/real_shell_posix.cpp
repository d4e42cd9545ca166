// The POSIX stand-in in a fresh root below the test's temporary folder.
#include <iconv.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/shellops_posix.h"
#include "support/real_shell.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;

class PosixRealShell : public RealShell {
 public:
  PosixRealShell() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp ? tmp : "/tmp") + "/velmaro-test-XXXXXX";
    root_ = ::mkdtemp(&pattern[0]);
    for (const char* dir : {"/c/Users/user/Desktop", "/c/Users/user/Start Menu/Programs", "/c/scratch", "/d"}) {
      fs::create_directories(root_ + dir);
    }
    platform::PosixShellOps::Config config;
    config.root = root_;
    config.currentDirectory = "C:\\scratch";
    config.desktop = "C:\\Users\\user\\Desktop";
    config.programs = "C:\\Users\\user\\Start Menu\\Programs";
    shell_ = std::make_unique<platform::PosixShellOps>(config);
  }
  ~PosixRealShell() override {
    releaseHold();
    std::error_code ignored;
    // Restore write bits so that read-only fixtures can be removed.
    for (auto it = fs::recursive_directory_iterator(root_, ignored); it != fs::recursive_directory_iterator(); ++it) {
      fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(root_, ignored);
  }

  platform::ShellOps& ops() override { return *shell_; }
  std::string scratch() const override { return "C:\\scratch\\"; }
  std::string missingDrive() const override { return "Q:\\"; }

  bool readFile(const std::string& path, std::string& bytes) const override {
    std::ifstream in(host(path), std::ios::binary);
    if (!in) return false;
    std::ostringstream out;
    out << in.rdbuf();
    bytes = out.str();
    return true;
  }
  bool writePlainFile(const std::string& path, const std::string& bytes) const override {
    std::ofstream out(host(path), std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
  }
  bool isFolder(const std::string& path) const override { return fs::is_directory(host(path)); }
  unsigned hiddenSystemBits(const std::string& path) const override {
    return platform::readDosAttributes(host(path)) & 0x6;
  }
  bool setHiddenSystemBits(const std::string& path, unsigned bits) const override {
    return platform::writeDosAttributes(host(path), bits & 0x6);
  }
  ShortcutInfo readShortcut(const std::string& lnkPath) const override {
    ShortcutInfo info;
    std::ifstream in(host(lnkPath));
    std::string line;
    if (!std::getline(in, line) || line != "[shortcut]") return info;
    info.readable = true;
    while (std::getline(in, line)) {
      const std::size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
      if (key == "target") info.target = toGbk(value);
      if (key == "description") info.description = toGbk(value);
      if (key == "showcmd") info.showCommand = std::atoi(value.c_str());
    }
    return info;
  }
  bool holdOpen(const std::string& path) override {
    releaseHold();
    held_ = ::open(host(path).c_str(), O_RDONLY | O_CLOEXEC);
    return held_ >= 0 && ::flock(held_, LOCK_EX | LOCK_NB) == 0;
  }
  void releaseHold() override {
    if (held_ >= 0) ::close(held_);
    held_ = -1;
  }
  bool remove(const std::string& path) const override { return ::remove(host(path).c_str()) == 0; }

 private:
  std::string host(const std::string& path) const { return shell_->hostPath(path); }
  static std::string toGbk(const std::string& utf8);

  std::string root_;
  std::unique_ptr<platform::PosixShellOps> shell_;
  int held_ = -1;
};

std::string PosixRealShell::toGbk(const std::string& utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  std::string out(utf8.size() + 4, '\0');
  char* src = const_cast<char*>(utf8.data());
  std::size_t srcLeft = utf8.size(), dstLeft = out.size();
  char* dst = &out[0];
  iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  return out;
}

}  // namespace

std::unique_ptr<RealShell> makeRealShell() { return std::make_unique<PosixRealShell>(); }

}  // namespace testing_support
