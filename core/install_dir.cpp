// installDir and the four directory rules.
#include "core/install.h"
#include "core/text.h"

namespace core {
namespace {
std::string g_installDir;  // the one program-wide value
}

const char* const DEFAULT_INSTALL_DIR = "C:\\Program Files\\2017Velmaro";
const char* const PRODUCT_FOLDER = "Quorin软件";

const std::string& installDir() { return g_installDir; }

void setInstallDir(std::string value) { g_installDir = std::move(value); }

void releaseInstallDir() {
  std::string().swap(g_installDir);
}

void resetPathIfEmpty(PathBox& box) {
  // The write raises this rule once more, nested, before it returns; that
  // run finds the text non-empty and stores it, and this run stores it again.
  if (box.read().empty()) box.write(DEFAULT_INSTALL_DIR);
  setInstallDir(box.read());
}

void applyBrowseResult(PathBox& box, const std::string& result) {
  // A cancelled browser (empty result) therefore leaves the default folder in
  // the box, not the earlier text: Rule 1 puts it back.
  box.write(result);
  if (box.read().empty()) box.write(DEFAULT_INSTALL_DIR);
}

void applyProductFolder(PathBox& box) {
  std::string dir = box.read();
  if (findText(dir, PRODUCT_FOLDER) == -1) {
    if (!endsWithBackslash(dir)) dir += '\\';
    dir += PRODUCT_FOLDER;
  }
  setInstallDir(std::move(dir));
}

void ensureTrailingSeparator() {
  if (!endsWithBackslash(g_installDir)) setInstallDir(g_installDir + '\\');
}

}  // namespace core
