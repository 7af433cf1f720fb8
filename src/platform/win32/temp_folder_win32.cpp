#include <windows.h>

#include <cstdio>

#include "platform/temp_folder.h"
#include "platform/win32/wide.h"

namespace clipwright::platform {

std::optional<std::string> MakeTempFolder(std::string_view prefix) {
  wchar_t base[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, base);
  if (length == 0 || length > MAX_PATH) return std::nullopt;
  // CreateDirectoryW fails on a name that exists, so a name is ours only once it was made here.
  // The process id and the tick make a clash unlikely; the counter walks past one.
  const unsigned seed = GetCurrentProcessId() * 2654435761u ^ GetTickCount();
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    wchar_t unique[16];
    std::swprintf(unique, 16, L"%08x", seed + attempt * 40503u);
    const std::wstring folder = std::wstring(base) + Widen(prefix) + unique;
    if (CreateDirectoryW(folder.c_str(), nullptr)) return Narrow(folder) + '\\';
    if (GetLastError() != ERROR_ALREADY_EXISTS) return std::nullopt;
  }
  return std::nullopt;
}

bool RemoveEmptyFolder(const std::string& folder) { return RemoveDirectoryW(Widen(folder).c_str()) != 0; }

}  // namespace clipwright::platform
