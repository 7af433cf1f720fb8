#include "ui/tool_requests.h"

#include "common/limits.h"
#include "settings/run_settings.h"
#include "ui/control_ids.h"

namespace clipwright {
namespace {

// A text too long for the caller's buffer could only be handed over cut, and the cut path may
// name some other file; it counts as missing, so that no tool runs that the user did not choose.
bool RequestPath(Dialog& settings, int control, Dialog& main_window, Tool tool, std::string* path) {
  const std::string text = settings.Text(control);
  if (path != nullptr) *path = FitToPathBuffer(text);
  const ToolPathProblem problem = CheckToolPath(text);
  if (problem == ToolPathProblem::kNone) return true;
  TellToolMissing(main_window, tool, problem == ToolPathProblem::kNotAProgram);
  return false;
}

}  // namespace

void TellToolMissing(Dialog& main_window, Tool tool, bool not_a_program) {
  if (tool == Tool::kFfmpeg) {
    main_window.MessageBox(not_a_program ? "ffmpeg.exeの場所には.exeのファイルを指定して下さい。" : "ffmpeg.exeがありません。",
                           "FFmpegエラー", kMessageOk);
  } else {
    main_window.MessageBox(not_a_program ? "aacgain.exe must be an .exe file." : "aacgain.exe is not found.",
                           "aacgain error", kMessageOk);
  }
}

int FfmpegPathControl(Dialog& convert) {
  return convert.IsChecked(IDC_CONVERT_ALT_FFMPEG) ? IDC_ALT_FFMPEG_PATH : IDC_FFMPEG_PATH;
}

bool RequestFfmpegPath(Dialog& settings, Dialog& convert, Dialog& main_window, std::string* path) {
  return RequestPath(settings, FfmpegPathControl(convert), main_window, Tool::kFfmpeg, path);
}

bool RequestAacgainPath(Dialog& settings, Dialog& main_window, std::string* path) {
  return RequestPath(settings, IDC_AACGAIN_PATH, main_window, Tool::kAacgain, path);
}

int RequestedPageIndex(std::uintptr_t index) {
  const auto page = static_cast<int>(index & 0xFFFF);
  return page < PAGE_COUNT ? page : -1;
}

}  // namespace clipwright
