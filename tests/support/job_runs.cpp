#include "support/job_runs.h"

#include <gtest/gtest.h>

#include "analysis/probe.h"
#include "analysis/split_scans.h"
#include "tools/analysis_result.h"
#include "support/media.h"
#include "test_config.h"

namespace clipwright::testing {

InputFile Probed(const std::string& path) {
  NullObserver nobody;
  const std::atomic<int> no_abort{0};
  ProbedFile probed;
  EXPECT_EQ(ProbeFile(test_config::kFfmpeg, path, nobody, no_abort, &probed), VERDICT_SUCCESS) << path;
  InputFile input{path, {}, probed.duration};
  for (std::size_t i = 0; i < probed.stream_lines.size(); ++i) {
    input.streams.push_back(StreamChoice{static_cast<int>(i), probed.stream_lines[i], true});
  }
  return input;
}

SplitCut CutOf(const std::string& path, std::uint32_t a, std::uint32_t b, std::vector<std::uint32_t>* keyframes) {
  NullObserver nobody;
  const std::atomic<int> no_abort{0};
  SplitPageState split;
  split.video_kind = 2;
  EXPECT_EQ(ScanSplitFile(test_config::kFfmpeg, path, split, nobody, no_abort), SplitScan::kReady) << path;
  if (keyframes != nullptr) *keyframes = split.keyframe_frames;
  return KeyframeCut(split, a, b);
}

bool Decodes(const std::string& path) {
  const auto output = RunCommand(FfmpegCommand() + " -hide_banner -nostdin -v error -i " + Quoted(path) + " -f null -");
  return output && output->find_first_not_of("\r\n") == std::string::npos;
}

void AbortAt::StageReached(const StageEvent& event) {
  RecordingObserver::StageReached(event);
  if (event.stage == stage_ && ++seen_ == occurrence_) abort_ = 1;
}

}  // namespace clipwright::testing
