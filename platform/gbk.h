// The character model of every text in the system: a byte of 0x80 or above
// starts a two-byte GBK character together with the byte after it, so a
// trailing byte of 0x5C is never a backslash. The lowest layer holds it so
// that the path handling here and the directory rules in core step the same.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Bytes taken by the character that starts at `s[i]` (1 or 2; 1 for a lead
// byte at the very end, which the system treats as a lone byte).
inline std::size_t gbkCharLength(const std::string& s, std::size_t i) {
  return (static_cast<unsigned char>(s[i]) >= 0x80 && i + 1 < s.size()) ? 2 : 1;
}

// Byte offset of the last character that is `ch` (an ASCII byte), or npos.
inline std::size_t gbkFindLast(const std::string& s, char ch) {
  std::size_t found = std::string::npos;
  for (std::size_t i = 0; i < s.size(); i += gbkCharLength(s, i)) {
    if (s[i] == ch) found = i;
  }
  return found;
}

// Byte offset of the last character of `s`, or npos when `s` is empty.
inline std::size_t gbkLastChar(const std::string& s) {
  std::size_t last = std::string::npos;
  for (std::size_t i = 0; i < s.size(); i += gbkCharLength(s, i)) last = i;
  return last;
}

}  // namespace platform
