#include <cstdio>

#include "platform/files.h"

namespace clipwright::platform {

bool CanOpenForReading(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

}  // namespace clipwright::platform
