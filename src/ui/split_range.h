// The split page's range: the part of its file that a run cuts, chosen with two trackbars that
// move from keyframe to keyframe (a video) or from audio frame to audio frame (an audio file),
// with the time of each end and the picture of the keyframe beside them. Plain functions over
// the page's frame data and its controls, called by the page's window procedure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/split_cuts.h"
#include "analysis/stream_model.h"
#include "ui/dialog.h"

namespace clipwright {

// "hh:mm:ss.mmm", the milliseconds cut, not rounded.
std::string FrameTimeText(double seconds);

// A newly opened file has been analysed: the play time, both trackbars over the whole range,
// and the range reset to the whole file.
void OnSplitAnalysed(SplitPageState& split, Dialog& page);
// フレーム単位 was checked or cleared: the trackbars step over every frame of a video, or from
// keyframe to keyframe, and the range becomes the whole file.
void SetSplitStepping(SplitPageState& split, Dialog& page);
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

}  // namespace clipwright
