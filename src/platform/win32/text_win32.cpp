#include <windows.h>

#include "platform/text.h"
#include "platform/win32/wide.h"

namespace clipwright::platform {

// FFmpeg writes UTF-8 into a pipe; older tools write the ANSI code page.
std::string DecodeToolOutput(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (length <= 0) return ReplaceInvalidUtf8(bytes);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), length);
  return Narrow(wide);
}

}  // namespace clipwright::platform
