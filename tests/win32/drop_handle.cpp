#include "drop_handle.h"

#include <shlobj.h>

#include <cstring>

#include "platform/win32/wide.h"

namespace clipwright::testing {

HDROP MakeDrop(const std::vector<std::string>& paths) {
  std::wstring names;
  for (const std::string& path : paths) names += platform::Widen(path) + L'\0';
  names += L'\0';  // the empty name that ends the list
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  if (!memory) return nullptr;
  auto* block = static_cast<DROPFILES*>(GlobalLock(memory));
  block->pFiles = sizeof(DROPFILES);
  block->fWide = TRUE;
  std::memcpy(block + 1, names.data(), names.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

}  // namespace clipwright::testing
