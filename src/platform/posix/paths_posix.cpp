#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/paths.h"

namespace clipwright::platform {

std::string ProgramFolder() {
  std::string path(PATH_MAX, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0) return "./";
  path.resize(static_cast<std::size_t>(length));
  const PathParts parts = SplitPath(path);
  return parts.drive + parts.directory;
}

char PathSeparator() { return '/'; }

std::string_view ProgramExtension() { return {}; }

std::vector<std::string> PathFolders() {
  const char* value = std::getenv("PATH");
  return value == nullptr ? std::vector<std::string>{} : SplitFolderList(value, ':');
}

}  // namespace clipwright::platform
