#include "payloads/uninst/paths.h"

#include <windows.h>

namespace uninst {

namespace {

std::size_t charLength(const std::string& s, std::size_t i) {
  return (static_cast<unsigned char>(s[i]) >= 0x80 && i + 1 < s.size()) ? 2 : 1;
}

bool endsInSeparator(const std::string& s) {
  std::size_t last = std::string::npos;
  for (std::size_t i = 0; i < s.size(); i += charLength(s, i)) last = i;
  return last != std::string::npos && s[last] == '\\';
}

std::string withoutTrailingSeparator(std::string s) {
  while (endsInSeparator(s) && !(s.size() == 3 && s[1] == ':')) s.pop_back();
  return s;
}

}  // namespace

std::string parentFolder(const std::string& path) {
  std::size_t sep = std::string::npos;
  for (std::size_t i = 0; i < path.size(); i += charLength(path, i)) {
    if (path[i] == '\\') sep = i;
  }
  if (sep == std::string::npos) return std::string();
  if (sep == 2 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, sep);
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return endsInSeparator(folder) ? folder + name : folder + '\\' + name;
}

bool sameFolder(const std::string& a, const std::string& b) {
  std::string x = withoutTrailingSeparator(a);
  std::string y = withoutTrailingSeparator(b);
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, x.data(), static_cast<int>(x.size()),
                        y.data(), static_cast<int>(y.size())) == CSTR_EQUAL;
}

std::string ownFile() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  return std::string(path, n);
}

std::string ownFolder() { return parentFolder(ownFile()); }

std::string toHex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

bool fromHex(const std::string& hex, std::string& bytes) {
  auto value = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  if (hex.size() % 2) return false;
  bytes.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    int hi = value(hex[i]), lo = value(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes += static_cast<char>(hi * 16 + lo);
  }
  return true;
}

}  // namespace uninst
