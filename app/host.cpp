#include "app/host.h"

#include "app/format.h"
#include "app/language.h"
#include "platform/file.h"

namespace stravener {

bool Host::ApproveOutputFiles(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (!PathExists(path)) continue;
    LOG_TEXT(Log(), LogKind::Error, "Plik %s już istnieje.", "The file %s already exists.", path.c_str());
    return false;
  }
  return true;
}

}  // namespace stravener
