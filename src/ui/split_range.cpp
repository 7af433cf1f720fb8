#include "ui/split_range.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/split_scans.h"
#include "ui/control_ids.h"

namespace clipwright {
namespace {

// The trackbar's position, as far as the range reaches.
std::uint32_t TrackPosition(const SplitPageState& split, Dialog& page, int track) {
  const int position = page.TrackPosition(track);
  return std::min(static_cast<std::uint32_t>(std::max(position, 0)), RangeMaximum(split));
}

// The picture at a thumb: keyframe k's, or frame `frame`'s while the range steps frame by
// frame; or none. One still being made keeps the picture shown until it comes
// (OnSplitPictureReady), rather than blinking. The end of the video has no picture: the
// picture goes while the end is there.
void ShowPictureAt(SplitPageState& split, Dialog& page, std::uint32_t k, std::uint32_t frame) {
  if (!KeyframeMode(split)) return;
  const KeyframePictures::Wanted wanted = split.by_frame ? split.pictures.WantFrame(frame) : split.pictures.Want(k);
  if (wanted.state != KeyframePictures::State::kComing) page.ShowPicture(IDC_SPLIT_PICTURE, wanted.picture.get());
}

void ShowStart(SplitPageState& split, Dialog& page) {
  page.SetText(IDC_SPLIT_START_TIME, FrameTimeText(FrameTime(split, split.start_frame)));
  ShowPictureAt(split, page, split.start_key, split.start_frame);
}

void ShowEnd(SplitPageState& split, Dialog& page) {
  page.SetText(IDC_SPLIT_END_TIME, FrameTimeText(FrameTime(split, split.end_frame)));
  ShowPictureAt(split, page, split.end_key, split.end_frame);
}

void SetEndToMaximum(SplitPageState& split, Dialog& page) {
  if (StepsByKeyframe(split)) {
    split.end_key = split.keyframe_count;
    split.end_frame = KeyframeFrame(split, split.end_key);
    page.SetTrackPosition(IDC_SPLIT_END_TRACK, static_cast<int>(split.end_key));
  } else {
    split.end_frame = split.last_frame_index;
    page.SetTrackPosition(IDC_SPLIT_END_TRACK, static_cast<int>(split.end_frame));
  }
}

}  // namespace

std::string FrameTimeText(double seconds) {
  if (!(seconds > 0)) seconds = 0;
  // Microseconds first, as FFmpeg prints the times, so that 0.29 s does not show as 0.289.
  const auto micros = static_cast<long long>(std::llround(seconds * 1e6));
  const long long millis = micros / 1000;
  char text[40];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", millis / 3600000, millis / 60000 % 60,
                millis / 1000 % 60, millis % 1000);
  return text;
}

void OnSplitAnalysed(SplitPageState& split, Dialog& page) {
  split.start_frame = split.end_frame = split.start_key = split.end_key = 0;
  page.SetText(IDC_SPLIT_PLAY_TIME, FrameTimeText(FrameTime(split, split.last_frame_index)));
  // An audio file has no pictures; one left from a video file would belong to that file.
  if (!KeyframeMode(split)) page.ShowPicture(IDC_SPLIT_PICTURE, nullptr);
  SetSplitStepping(split, page);
}

void SetSplitStepping(SplitPageState& split, Dialog& page) {
  split.by_frame = page.IsChecked(IDC_SPLIT_BY_FRAME);
  const int maximum = static_cast<int>(RangeMaximum(split));
  page.SetTrackRange(IDC_SPLIT_START_TRACK, 0, maximum);
  page.SetTrackRange(IDC_SPLIT_END_TRACK, 0, maximum);
  ResetSplitRange(split, page);
}

void ResetSplitRange(SplitPageState& split, Dialog& page) {
  if (!HasSplitRange(split)) {
    page.SetTrackPosition(IDC_SPLIT_START_TRACK, 0);
    page.SetTrackPosition(IDC_SPLIT_END_TRACK, 0);
    page.SetText(IDC_SPLIT_START_TIME, "");
    page.SetText(IDC_SPLIT_END_TIME, "");
    page.ShowPicture(IDC_SPLIT_PICTURE, nullptr);
    return;
  }
  split.start_key = 0;
  split.start_frame = StepsByKeyframe(split) ? KeyframeFrame(split, 0) : 0;
  page.SetTrackPosition(IDC_SPLIT_START_TRACK, 0);
  SetEndToMaximum(split, page);
  page.SetText(IDC_SPLIT_END_TIME, FrameTimeText(FrameTime(split, split.end_frame)));
  ShowStart(split, page);
}

void SetSplitMaximum(SplitPageState& split, Dialog& page) {
  if (!HasSplitRange(split)) return;
  SetEndToMaximum(split, page);
  ShowEnd(split, page);
}

void MoveSplitStart(SplitPageState& split, Dialog& page) {
  if (!HasSplitRange(split)) return;
  const std::uint32_t position = TrackPosition(split, page, IDC_SPLIT_START_TRACK);
  if (StepsByKeyframe(split)) {
    split.start_key = std::min({position, split.keyframe_count - 1, split.end_key - 1});
    split.start_frame = KeyframeFrame(split, split.start_key);
    page.SetTrackPosition(IDC_SPLIT_START_TRACK, static_cast<int>(split.start_key));
  } else {
    split.start_frame = std::min(position, split.end_frame - 1);
    page.SetTrackPosition(IDC_SPLIT_START_TRACK, static_cast<int>(split.start_frame));
  }
  ShowStart(split, page);
}

void MoveSplitEnd(SplitPageState& split, Dialog& page) {
  if (!HasSplitRange(split)) return;
  const std::uint32_t position = std::max(TrackPosition(split, page, IDC_SPLIT_END_TRACK), 1u);
  if (StepsByKeyframe(split)) {
    split.end_key = std::max(position, split.start_key + 1);
    split.end_frame = KeyframeFrame(split, split.end_key);
    page.SetTrackPosition(IDC_SPLIT_END_TRACK, static_cast<int>(split.end_key));
  } else {
    split.end_frame = std::max(position, split.start_frame + 1);
    page.SetTrackPosition(IDC_SPLIT_END_TRACK, static_cast<int>(split.end_frame));
  }
  ShowEnd(split, page);
}

void OnSplitPictureReady(SplitPageState& split, Dialog& page) {
  // Only the store is asked: the notice may come while an analysis is writing the page's data.
  const KeyframePictures::Wanted wanted = split.pictures.LastWanted();
  if (wanted.state != KeyframePictures::State::kComing) page.ShowPicture(IDC_SPLIT_PICTURE, wanted.picture.get());
}

void ClearSplitRange(SplitPageState& split, Dialog& page) {
  ClearSplitFrames(split);
  page.SetText(IDC_SPLIT_PLAY_TIME, FrameTimeText(0));
  page.SetText(IDC_SPLIT_START_TIME, "");
  page.SetText(IDC_SPLIT_END_TIME, "");
  for (const int track : {IDC_SPLIT_START_TRACK, IDC_SPLIT_END_TRACK}) {
    page.SetTrackRange(track, 0, 0);
    page.SetTrackPosition(track, 0);
  }
  page.ShowPicture(IDC_SPLIT_PICTURE, nullptr);
  page.Enable(IDC_SPLIT_RUN, false);
}

}  // namespace clipwright
