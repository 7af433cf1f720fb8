#include "jobs/split_job.h"

#include "common/control_ids.h"
#include "jobs/number_text.h"

namespace clipwright {

std::string SeekPiece(const SplitCut& cut) {
  // The first keyframe of a video with B-frames is decoded before 0: that seek is written too.
  return cut.seek_time != 0 ? " -ss " + FixedText(cut.seek_time, 6) : std::string();
}

std::string TimePiece(const SplitCut& cut) {
  return (cut.seek_time != 0 ? " -ss 0 -t " : " -t ") + FixedText(cut.length, 6);
}

bool PrepareSplitJob(SplitPageState& split, Dialog& page, JobContext& job) {
  constexpr const char* kNothingToCut = "映像フォーマットが無いか、キーフレームがありません。";
  if (page.IsChecked(IDC_SPLIT_AT_KEYFRAMES)) {
    if (split.keyframe_count == 0) {
      page.MessageBox(kNothingToCut, "全分割エラー", kMessageOk);
      return false;
    }
    job.operation = OP_SPLIT_AT_KEYFRAMES;
    job.split = &split;
    return true;
  }
  const std::optional<SplitCut> cut = SplitRangeCut(split);
  if (!cut) {
    page.MessageBox(kNothingToCut, "分割エラー", kMessageOk);
    return false;
  }
  job.operation = OP_SPLIT;
  job.start_time = cut->start_time;
  job.end_time = cut->end_time;
  job.cut = cut;
  return true;
}

}  // namespace clipwright
