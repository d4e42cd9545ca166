// Path texts of the uninstaller: ANSI code page (GBK) byte strings. A byte
// of 0x80 or above starts a two-byte character, so a trailing byte of 0x5C
// is never taken for a separator.
#pragma once

#include <string>

namespace uninst {

// The folder part of `path`, without a trailing separator except for a
// drive root ("C:\"); empty when `path` has no separator.
std::string parentFolder(const std::string& path);

// `folder` and `name` with exactly one separator between them.
std::string joinPath(const std::string& folder, const std::string& name);

// Whether two folder texts name the same folder: case-insensitive, a
// trailing separator ignored.
bool sameFolder(const std::string& a, const std::string& b);

// The folder of this program's own file.
std::string ownFolder();
std::string ownFile();

// Texts that travel in a command line as hex digits: no quoting rule of
// any runtime can misread them, whatever bytes a GBK name holds.
std::string toHex(const std::string& bytes);
bool fromHex(const std::string& hex, std::string& bytes);

}  // namespace uninst
