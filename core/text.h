// Text operations of the directory rules, over GBK byte strings: positions
// are 1-based byte offsets, comparison is byte-exact and case-sensitive, and
// a match never starts on the second byte of a two-byte character.
#pragma once

#include <string>

namespace core {

// 1-based byte position of the first occurrence of `needle` in `haystack`,
// searched from the first character; -1 when absent. An empty needle is
// found at position 1 of any text (as in the system's own text search).
int findText(const std::string& haystack, const std::string& needle);

// True when the last whole character of `s` is a backslash.
bool endsWithBackslash(const std::string& s);

}  // namespace core
