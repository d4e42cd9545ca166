#include "core/text.h"

#include "platform/gbk.h"

namespace core {

int findText(const std::string& haystack, const std::string& needle) {
  if (needle.empty()) return 1;
  for (std::size_t i = 0; i < haystack.size(); i += platform::gbkCharLength(haystack, i)) {
    if (haystack.compare(i, needle.size(), needle) == 0) return static_cast<int>(i) + 1;
  }
  return -1;
}

bool endsWithBackslash(const std::string& s) {
  const std::size_t last = platform::gbkLastChar(s);
  return last != std::string::npos && s[last] == '\\';
}

}  // namespace core
