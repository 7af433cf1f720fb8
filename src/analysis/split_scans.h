// The split page's analysis of its file after the probe: the keyframe scan of a video (frame
// times, keyframes with their decode times, and a picture of each keyframe) or the audio frame
// scan of an audio file. Both run on the analysis worker and fill the page's SplitPageState.
#pragma once

#include <string>

#include "analysis/analysis_job.h"
#include "common/dialog.h"
#include "common/requests.h"

namespace clipwright {

// The process line when a file has more frames than the page can hold: a frame list cut short
// would put the end of the file at the wrong place.
inline constexpr const char* kTooManyFrames = "フレーム数が多すぎるため（上限 1000000 フレーム）、解析出来ませんでした。";

// Returns 1 when the keyframe data is complete, else 0. The pictures are made in a folder of
// this scan's own under the user's temporary folder, which is removed afterwards whatever
// happened. A scan that fails or is aborted empties the page (path, streams and range).
int ScanKeyframes(AnalysisJob& job, Dialog& progress, Dialog& page, Requests& requests, const std::string& path);

// Returns 1 when the frame times were stored, else 0; a failure leaves the path and the streams
// of the probe, but no range.
int ScanAudioFrames(AnalysisJob& job, Dialog& progress, Dialog& page, Requests& requests, const std::string& path);

// The scan that fits the probed file: keyframes for a video, audio frames otherwise. The split
// page puts it in AnalysisJob::split_scan.
int ScanSplitFile(AnalysisJob& job, Dialog& progress, Dialog& page, Requests& requests, const std::string& path);

}  // namespace clipwright
