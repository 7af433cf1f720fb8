// The audio frame scan of the split page's audio file, and the choice between the two scans.
#include <memory>

#include "analysis/split_range.h"
#include "analysis/split_scans.h"
#include "common/control_ids.h"
#include "tools/output_scanner.h"

namespace clipwright {

int ScanAudioFrames(AnalysisJob& job, Dialog& progress, Dialog& page, Requests& requests, const std::string& path) {
  SplitPageState& split = *job.split;
  split.pictures.Clear();
  split.keyframe_count = 0;
  split.keyframe_frames.clear();
  split.keyframe_decode_times.clear();
  progress.SetText(IDC_PROGRESS_PROCESS, "オーディオストリームの解析中．．．［再生時間に応じた時間が掛かります］");
  std::string ffmpeg;
  if (!requests.FfmpegPath(&ffmpeg)) return 0;

  const std::string command =
      "\"" + ffmpeg + "\" -i \"" + path + "\" -hide_banner -nostats -vn -sn -dn -af ashowinfo -f null -";
  auto scan = std::make_unique<AnalysisResult>();
  const int verdict = ScanOutput(*scan, progress, job.abort, command, SCAN_AUDIO_FRAMES, nullptr, 0);
  if (verdict == VERDICT_SUCCESS) {
    split.last_frame_index = scan->last_frame_index;
    split.frame_times = std::move(scan->frame_times);
    return 1;
  }
  if (scan->too_many_frames) progress.SetText(IDC_PROGRESS_PROCESS, kTooManyFrames);
  // The frame data the page had belongs to the file before; it must not cut this one.
  ClearSplitRange(split, page);
  return 0;
}

int ScanSplitFile(AnalysisJob& job, Dialog& progress, Dialog& page, Requests& requests, const std::string& path) {
  if (job.split == nullptr) return 0;
  return job.split->video_kind != 0 ? ScanKeyframes(job, progress, page, requests, path)
                                    : ScanAudioFrames(job, progress, page, requests, path);
}

}  // namespace clipwright
