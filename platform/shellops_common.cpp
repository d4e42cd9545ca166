// What every ShellOps implementation shares.
#include "platform/gbk.h"
#include "platform/shellops.h"

namespace platform {

std::string shortcutFileName(const std::string& linkPath) {
  const std::size_t sep = gbkFindLast(linkPath, '\\');
  const std::string lastPart = sep == std::string::npos ? linkPath : linkPath.substr(sep + 1);
  if (gbkFindLast(lastPart, '.') != std::string::npos) return linkPath;
  return linkPath + ".lnk";
}

}  // namespace platform
