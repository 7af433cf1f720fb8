#include "ui/window_requests.h"

#include "platform/win32/wide.h"

namespace clipwright::ui {

bool WindowRequests::AskPath(UINT message, std::string* path) {
  wchar_t buffer[PATH_CAPACITY] = {};
  const LRESULT found = SendMessageW(main_window_, message, 0, reinterpret_cast<LPARAM>(buffer));
  buffer[PATH_CAPACITY - 1] = L'\0';
  *path = platform::Narrow(buffer);
  return found != 0;
}

Dialog* WindowRequests::Page(int index) {
  HWND page = nullptr;
  SendMessageW(main_window_, MSG_GET_PAGE_WINDOW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&page));
  if (!page || index < 0 || index >= PAGE_COUNT) return nullptr;
  if (!pages_[index] || pages_[index]->window() != page) pages_[index] = std::make_unique<WindowDialog>(page);
  return pages_[index].get();
}

}  // namespace clipwright::ui
