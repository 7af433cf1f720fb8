// The audio frame scan of the split page's audio file, and the choice between the two scans.
#include <memory>

#include "analysis/split_scans.h"
#include "tools/command_line.h"
#include "tools/output_scanner.h"

namespace clipwright {

int ScanAudioFrames(const std::string& ffmpeg, const std::string& path, SplitPageState& split, RunObserver& observer,
                    const std::atomic<int>& abort) {
  split.pictures.Clear();
  split.keyframe_count = 0;
  split.keyframe_frames.clear();
  split.keyframe_decode_times.clear();
  split.keyframe_packets.clear();
  split.packet_crcs.clear();
  observer.Report(Stage::kScanningAudio);

  CommandLine command(ffmpeg);
  command.Add("-i").AddQuoted(path).AddWords("-hide_banner -nostats -vn -sn -dn -af ashowinfo -f null -");
  auto scan = std::make_unique<AnalysisResult>();
  const int verdict = ScanOutput(*scan, observer, abort, command.Text(), SCAN_AUDIO_FRAMES, nullptr, 0);
  if (verdict == VERDICT_SUCCESS) {
    split.last_frame_index = scan->last_frame_index;
    split.frame_times = std::move(scan->frame_times);
    return 1;
  }
  if (scan->too_many_frames) observer.Report(Stage::kTooManyFrames);
  // The frame data the page had belongs to the file before; it must not cut this one.
  ClearSplitFrames(split);
  return 0;
}

SplitScan ScanSplitFile(const std::string& ffmpeg, const std::string& path, SplitPageState& split,
                        RunObserver& observer, const std::atomic<int>& abort) {
  if (split.video_kind != 0) {
    return ScanKeyframes(ffmpeg, path, split, observer, abort) == 1 ? SplitScan::kReady : SplitScan::kFailedVideo;
  }
  return ScanAudioFrames(ffmpeg, path, split, observer, abort) == 1 ? SplitScan::kReady : SplitScan::kFailedAudio;
}

void ClearSplitFrames(SplitPageState& split) {
  split.last_frame_index = 0;
  split.frame_times.clear();
  split.keyframe_count = 0;
  split.keyframe_frames.clear();
  split.keyframe_decode_times.clear();
  split.keyframe_packets.clear();
  split.packet_crcs.clear();
  split.pictures.Clear();
  split.start_frame = split.end_frame = split.start_key = split.end_key = 0;
}

}  // namespace clipwright
