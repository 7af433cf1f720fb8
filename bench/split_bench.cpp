// Timing program for scripts/bench-split: the split page's keyframe scan of one video, run as the
// page runs it, and the memory its pictures take.
//   split_bench <ffmpeg> <video>
#include <chrono>
#include <cstdio>
#include <string>

#include "analysis/analysis_job.h"
#include "analysis/split_scans.h"
#include "common/control_ids.h"
#include "common/limits.h"
#include "support/fake_dialog.h"

int main(int argc, char** argv) {
  using namespace clipwright;
  if (argc != 3) {
    std::fprintf(stderr, "usage: split_bench <ffmpeg> <video>\n");
    return 2;
  }
  testing::FakeRequests requests;
  requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, argv[1]);
  testing::FakeDialog progress;
  SplitPageState split;
  split.video_kind = 2;
  AnalysisJob job;
  job.target = kSplitTarget;
  job.split = &split;
  const auto start = std::chrono::steady_clock::now();
  const int result = ScanKeyframes(job, progress, requests.page(PAGE_SPLIT), requests, argv[2]);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (result != 1) {
    std::fprintf(stderr, "scan failed: %s\n", progress.Text(IDC_PROGRESS_PROCESS).c_str());
    return 1;
  }
  std::printf("frames=%u keyframes=%u seconds=%.3f thumbnail_bytes=%zu\n", split.last_frame_index,
              split.keyframe_count, seconds, split.pictures.Bytes());
  return 0;
}
