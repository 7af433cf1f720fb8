#include <windows.h>

#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/win32/wide.h"

namespace clipwright::platform {

std::string ProgramFolder() {
  // Grow the buffer until the whole path fits, so that a long installation path is not cut.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const PathParts parts = SplitPath(Narrow(path));
  return parts.drive + parts.directory;
}

char PathSeparator() { return '\\'; }

std::string_view ProgramExtension() { return ".exe"; }

std::vector<std::string> PathFolders() {
  const DWORD needed = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  if (needed == 0) return {};
  std::wstring value(needed, L'\0');
  const DWORD length = GetEnvironmentVariableW(L"PATH", value.data(), needed);
  if (length == 0 || length >= needed) return {};
  value.resize(length);
  return SplitFolderList(Narrow(value), ';');
}

}  // namespace clipwright::platform
