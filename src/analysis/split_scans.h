// The split page's analysis of its file after the probe: the keyframe scan of a video (frame
// times, keyframes with their decode times, and the pictures of the keyframes) or the audio frame
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

// Returns 1 when the keyframe data is complete, else 0. The frames and keyframes come from the
// video's packet listing, and the first keyframe's picture is made; the others are made when the
// page wants them. A video whose listing cannot tell its frames is decoded instead, as
// ScanKeyframesByDecoding does. The pictures are made in a folder of this scan's own under the
// user's temporary folder, which goes with the pictures (the page's next file, or its end). A
// scan that fails or is aborted empties the page (path, streams and range) and leaves no folder.
int ScanKeyframes(AnalysisJob& job, Dialog& progress, Dialog& page, Requests& requests, const std::string& path);

// The same by decoding the whole video: FFmpeg's select filter logs every frame and passes each
// keyframe on to a picture. Many times slower; the reference the listing is held to, and what
// ScanKeyframes falls back on.
int ScanKeyframesByDecoding(AnalysisJob& job, Dialog& progress, Dialog& page, Requests& requests,
                            const std::string& path);

// Returns 1 when the frame times were stored, else 0; a failure leaves the path and the streams
// of the probe, but no range.
int ScanAudioFrames(AnalysisJob& job, Dialog& progress, Dialog& page, Requests& requests, const std::string& path);

// The scan that fits the probed file: keyframes for a video, audio frames otherwise. The split
// page puts it in AnalysisJob::split_scan.
int ScanSplitFile(AnalysisJob& job, Dialog& progress, Dialog& page, Requests& requests, const std::string& path);

}  // namespace clipwright
