// Reading the build tree's files from a test, natively or under Wine (where
// the Linux root is drive Z:).
#pragma once

#include <cstdio>
#include <string>

namespace testing_support {

inline std::string buildTreePath(std::string linuxPath) {
#ifdef _WIN32
  for (char& c : linuxPath) {
    if (c == '/') c = '\\';
  }
  return "Z:" + linuxPath;
#else
  return linuxPath;
#endif
}

inline bool slurp(const std::string& path, std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes.clear();
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

// The bytes of one embedded payload as the build copied it ("exam",
// "database", "config", "uninstaller").
inline std::string payloadSource(const char* name) {
  std::string bytes;
  slurp(buildTreePath(std::string(VELMARO_PAYLOAD_BIN_DIR) + "/" + name + ".bin"), bytes);
  return bytes;
}

}  // namespace testing_support
