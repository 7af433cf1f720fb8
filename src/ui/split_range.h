// The split page's range: the part of its file that a run cuts, chosen with two trackbars that
// move from keyframe to keyframe (a video) or from audio frame to audio frame (an audio file),
// with the time of each end and the picture of the keyframe beside them. Plain functions over
// the page's frame data and its controls, called by the page's window procedure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/stream_model.h"
#include "common/dialog.h"

namespace clipwright {

// A video file's range moves by keyframes; an audio file's by audio frames.
inline bool KeyframeMode(const SplitPageState& split) { return split.video_kind != 0; }

// "hh:mm:ss.mmm", the milliseconds cut, not rounded.
std::string FrameTimeText(double seconds);

// A newly opened file has been analysed: the play time, both trackbars over the whole range,
// and the range reset to the whole file.
void OnSplitAnalysed(SplitPageState& split, Dialog& page);
// リセット: the range becomes the whole file.
void ResetSplitRange(SplitPageState& split, Dialog& page);
// 最大値セット: the end goes to the end of the file.
void SetSplitMaximum(SplitPageState& split, Dialog& page);
// A trackbar was moved: the start (2402) or the end (2502) follows it, kept apart from the other
// end by at least one step.
void MoveSplitStart(SplitPageState& split, Dialog& page);
void MoveSplitEnd(SplitPageState& split, Dialog& page);

// The picture the page wants last has been made (or cannot be): it is shown (or hidden).
void OnSplitPictureReady(SplitPageState& split, Dialog& page);

// After a scan that failed or was aborted: the page forgets the frame data it had (it belonged
// to another file), shows no range and cannot be run until a file has been analysed.
void ClearSplitRange(SplitPageState& split, Dialog& page);

// One cut: the range as the page shows it, in presentation times, and where FFmpeg reads it. An
// input seek with stream copy lands on the keyframe whose decode time it names, and the copy
// stops by decode time too; with B-frames these differ from the shown times.
struct SplitCut {
  double start_time = 0;  // shown start (the output's name carries it)
  double end_time = 0;    // shown end
  double seek_time = 0;   // input seek
  double length = 0;      // how long the copy runs from the seek
};

// The cut from keyframe a to keyframe b (ordinals; b may be keyframe_count, the end of the video).
SplitCut KeyframeCut(const SplitPageState& split, std::uint32_t a, std::uint32_t b);
// The cut of the page's range; nothing when the page has no range to cut (no file analysed, a
// video without keyframes, an audio file of one frame).
std::optional<SplitCut> SplitRangeCut(const SplitPageState& split);

}  // namespace clipwright
