#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/temp_folder.h"

namespace clipwright::platform {

std::optional<std::string> MakeTempFolder(std::string_view prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string folder = (base != nullptr && *base != '\0') ? base : "/tmp";
  if (folder.back() != '/') folder += '/';
  folder.append(prefix).append("XXXXXX");
  // mkdtemp makes the folder with a fresh name, readable by this user only.
  std::vector<char> name(folder.begin(), folder.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) == nullptr) return std::nullopt;
  return std::string(name.data()) + '/';
}

bool RemoveEmptyFolder(const std::string& folder) { return ::rmdir(folder.c_str()) == 0; }

}  // namespace clipwright::platform
