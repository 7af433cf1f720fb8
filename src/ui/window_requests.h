// The requests of pages and workers, sent to the main window (the root ancestor of any page).
#pragma once

#include "ui/win32.h"

#include <memory>
#include <string>

#include "common/limits.h"
#include "ui/requests.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {

inline constexpr UINT MSG_GET_FFMPEG_PATH = 0x8065;
inline constexpr UINT MSG_GET_AACGAIN_PATH = 0x8066;
inline constexpr UINT MSG_GET_PAGE_WINDOW = 0x8068;

class WindowRequests : public Requests {
 public:
  // `page` is any page window (or the main window itself).
  explicit WindowRequests(HWND page) : main_window_(GetAncestor(page, GA_ROOT)) {}

  bool FfmpegPath(std::string* path) override { return AskPath(MSG_GET_FFMPEG_PATH, path); }
  bool AacgainPath(std::string* path) override { return AskPath(MSG_GET_AACGAIN_PATH, path); }
  Dialog* Page(int index) override;

 private:
  bool AskPath(UINT message, std::string* path);

  HWND main_window_;
  std::unique_ptr<WindowDialog> pages_[PAGE_COUNT];
};

}  // namespace clipwright::ui
