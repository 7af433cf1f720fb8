#include "ui/split_page.h"

#include <algorithm>
#include <optional>

#include "jobs/job_plans.h"
#include "ui/control_ids.h"
#include "ui/job_dialog.h"
#include "ui/main_window.h"
#include "ui/page_controls.h"
#include "ui/page_intake.h"
#include "ui/settings_page.h"
#include "ui/split_range.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {
namespace {

// The range controls, which the split at every keyframe does not use.
constexpr int kRangeControls[] = {IDC_SPLIT_START_TIME, IDC_SPLIT_RESET, IDC_SPLIT_START_TRACK,
                                  IDC_SPLIT_END_TIME,   IDC_SPLIT_MAXIMUM, IDC_SPLIT_END_TRACK};

void EnableRange(HWND page) {
  const bool whole_file = IsDlgButtonChecked(page, IDC_SPLIT_AT_KEYFRAMES) == BST_CHECKED;
  for (int id : kRangeControls) EnableWindow(GetDlgItem(page, id), !whole_file);
}

// The range cut at its frames: only a video whose encoding the pieces can match.
void RunFrameCut(HWND page, const SplitPageState& split, const InputFile& file, const std::string& container,
                 const RunSettings& settings) {
  WindowDialog controls(page);
  FrameCutRequest request;
  request.file = file;
  request.container = container;
  const auto video = std::find_if(file.streams.begin(), file.streams.end(), [](const StreamChoice& stream) {
    return StreamKindOf(stream.line) == StreamKind::kVideo && !IsAttachedPicture(stream.line);
  });
  const std::optional<FrameCut> cut =
      split.end_frame > split.start_frame ? FrameRangeCut(split, split.start_frame, split.end_frame - 1) : std::nullopt;
  const std::optional<VideoParameters> parameters =
      video == file.streams.end() ? std::nullopt : ReadVideoParameters(file.path, video->line);
  if (!cut || !parameters) {
    controls.MessageBox("このファイルはフレーム単位で分割できません。\r\n"
                        "（GOP が閉じている H.264 / HEVC の映像に限ります）",
                        "分割エラー", kMessageOk);
    return;
  }
  request.cut = *cut;
  request.video_stream = video->number;
  request.video = *parameters;
  RunPlanDialog(page, RunKind::kSplit, PlanFrameCut(request, settings), settings);
}

// The page's file cut at every keyframe while "キーフレームで全分割" is checked, else its range.
void Run(HWND page, SplitPageState& split) {
  constexpr const char* kNothingToCut = "映像フォーマットが無いか、キーフレームがありません。";
  WindowDialog controls(page);
  const InputFile file = OpenedFile(page, kSplitTarget);
  const std::string container = controls.ComboText(IDC_SPLIT_CONTAINER);
  const RunSettings settings = ReadRunSettings(page);
  if (controls.IsChecked(IDC_SPLIT_AT_KEYFRAMES)) {
    if (split.keyframe_count == 0 || split.keyframe_frames.size() <= split.keyframe_count) {
      controls.MessageBox(kNothingToCut, "全分割エラー", kMessageOk);
      return;
    }
    KeyframeSplitRequest request{file, container, {}};
    for (std::uint32_t k = 0; k < split.keyframe_count; ++k) {
      request.pieces.push_back(KeyframePiece{split.keyframe_frames[k], split.keyframe_frames[k + 1], KeyframeCut(split, k, k + 1)});
    }
    RunPlanDialog(page, RunKind::kSplitAtKeyframes, PlanKeyframeSplit(request, settings), settings);
    return;
  }
  if (split.by_frame && KeyframeMode(split)) {
    RunFrameCut(page, split, file, container, settings);
    return;
  }
  const std::optional<SplitCut> cut = SplitRangeCut(split);
  if (!cut) {
    controls.MessageBox(kNothingToCut, "分割エラー", kMessageOk);
    return;
  }
  RunPlanDialog(page, RunKind::kSplit, PlanSplit(SplitRequest{file, container, *cut}, settings), settings);
}

bool OnCommand(HWND page, SplitPageState& split, int id) {
  WindowDialog controls(page);
  switch (id) {
    case IDC_SPLIT_OPEN:
      AddFilesToPage(page, kSplitTarget, nullptr);
      SetFocus(GetAncestor(page, GA_ROOT));
      return true;
    case IDC_SPLIT_RESET:
      ResetSplitRange(split, controls);
      return true;
    case IDC_SPLIT_MAXIMUM:
      SetSplitMaximum(split, controls);
      return true;
    case IDC_SPLIT_AT_KEYFRAMES:
      EnableRange(page);
      return true;
    case IDC_SPLIT_BY_FRAME:
      SetSplitStepping(split, controls);
      return true;
    case IDC_SPLIT_RUN:
      Run(page, split);
      return true;
  }
  return false;
}

}  // namespace

INT_PTR CALLBACK SplitPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  if (AnswerWindowThreadCall(message, lparam)) return TRUE;
  PageState* state = PageStateOf(page);
  switch (message) {
    case WM_INITDIALOG:
      KeepPageState(page, lparam);
      InstallDropList(page, IDC_SPLIT_STREAMS, 1, kStreamListStyle);
      FillContainerCombo(page, IDC_SPLIT_CONTAINER);
      // The pictures are made on a thread of their own, which only posts this notice.
      if (PageState* created = PageStateOf(page)) {
        created->split.pictures.SetReadyNotice([page] { PostMessageW(page, MSG_SPLIT_PICTURE_READY, 0, 0); });
      }
      SendDlgItemMessageW(page, IDC_SPLIT_START_TRACK, TBM_SETPOS, TRUE, 0);
      SendDlgItemMessageW(page, IDC_SPLIT_END_TRACK, TBM_SETPOS, TRUE, 0);
      return TRUE;
    case WM_COMMAND:
      return state && OnCommand(page, state->split, LOWORD(wparam)) ? TRUE : FALSE;
    case WM_HSCROLL: {
      if (!state || !lparam) return FALSE;
      WindowDialog controls(page);
      const int track = GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
      if (track == IDC_SPLIT_START_TRACK) MoveSplitStart(state->split, controls);
      if (track == IDC_SPLIT_END_TRACK) MoveSplitEnd(state->split, controls);
      return TRUE;
    }
    case MSG_SPLIT_ANALYSED: {
      if (!state) return FALSE;
      WindowDialog controls(page);
      OnSplitAnalysed(state->split, controls);
      return TRUE;
    }
    case MSG_SPLIT_PICTURE_READY: {
      if (!state) return FALSE;
      WindowDialog controls(page);
      OnSplitPictureReady(state->split, controls);
      return TRUE;
    }
    case MSG_FILES_DROPPED:
      AddFilesToPage(page, kSplitTarget, reinterpret_cast<HDROP>(wparam));
      SetFocus(page);
      return TRUE;
    case WM_DESTROY:
      // No picture is made past the page: its FFmpeg is ended and its folder removed.
      if (state) state->split.pictures.Clear();
      ReleasePicture(GetDlgItem(page, IDC_SPLIT_PICTURE));
      return FALSE;
  }
  return FALSE;
}

}  // namespace clipwright::ui
