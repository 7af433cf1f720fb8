#include <cstdio>

#include "platform/files.h"
#include "platform/win32/wide.h"

namespace clipwright::platform {

bool CanOpenForReading(const std::string& path) {
  std::FILE* file = _wfopen(Widen(path).c_str(), L"rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

}  // namespace clipwright::platform
