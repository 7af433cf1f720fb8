#include "settings/tool_requests.h"

#include "common/control_ids.h"
#include "common/limits.h"
#include "platform/files.h"
#include "platform/profile_format.h"
#include "platform/text.h"

namespace clipwright {
namespace {

// A text too long for the caller's buffer could only be handed over cut, and the cut path may
// name some other file; it counts as missing, so that no tool runs that the user did not choose.
bool RequestPath(Dialog& settings, int control, Dialog& main_window, std::string_view message,
                 std::string_view caption, std::string* path) {
  const std::string text = settings.Text(control);
  const std::string fitted = FitToPathBuffer(text);
  if (path != nullptr) *path = fitted;
  if (fitted == text && platform::CanOpenForReading(fitted)) return true;
  main_window.MessageBox(message, caption, kMessageOk);
  return false;
}

}  // namespace

int FfmpegPathControl(Dialog& convert) {
  return convert.IsChecked(IDC_CONVERT_ALT_FFMPEG) ? IDC_ALT_FFMPEG_PATH : IDC_FFMPEG_PATH;
}

bool RequestFfmpegPath(Dialog& settings, Dialog& convert, Dialog& main_window, std::string* path) {
  return RequestPath(settings, FfmpegPathControl(convert), main_window, "ffmpeg.exeがありません。", "FFmpegエラー",
                     path);
}

bool RequestAacgainPath(Dialog& settings, Dialog& main_window, std::string* path) {
  return RequestPath(settings, IDC_AACGAIN_PATH, main_window, "aacgain.exe is not found.", "aacgain error", path);
}

int RequestedPageIndex(std::uintptr_t index) {
  const auto page = static_cast<int>(index & 0xFFFF);
  return page < PAGE_COUNT ? page : -1;
}

std::string FitToPathBuffer(std::string_view text) {
  // Through UTF-16, so that the count is the one the window's buffer sees; stray bytes become
  // U+FFFD on the way, as they would at the window's conversion.
  return platform::Utf16ToUtf8(platform::ini::FitToCapacity(platform::Utf8ToUtf16(text), PATH_CAPACITY));
}

}  // namespace clipwright
