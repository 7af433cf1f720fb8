// The split page's analysis of its file after the probe: the keyframe scan of a video (frame
// times, keyframes with their decode times and places, and the pictures of the keyframes) or the
// audio frame scan of an audio file. Both run on the analysis worker and fill the page's
// SplitPageState.
#pragma once

#include <atomic>
#include <string>

#include "analysis/stream_model.h"
#include "tools/run_observer.h"

namespace clipwright {

// Returns 1 when the keyframe data is complete, else 0. The frames and keyframes come from the
// video's packet listing, and the first keyframe's picture is made; the others are made when the
// page wants them. A video whose listing cannot tell its frames is decoded instead, as
// ScanKeyframesByDecoding does. The pictures are made in a folder of this scan's own under the
// user's temporary folder, which goes with the pictures (the page's next file, or its end). A
// scan that fails or is aborted leaves no frame data and no folder.
int ScanKeyframes(const std::string& ffmpeg, const std::string& path, SplitPageState& split, RunObserver& observer,
                  const std::atomic<int>& abort);

// The same by decoding the whole video: FFmpeg's select filter logs every frame and passes each
// keyframe on to a picture. Many times slower; the reference the listing is held to, and what
// ScanKeyframes falls back on.
int ScanKeyframesByDecoding(const std::string& ffmpeg, const std::string& path, SplitPageState& split,
                            RunObserver& observer, const std::atomic<int>& abort);

// Returns 1 when the frame times were stored, else 0 (and no frame data is left).
int ScanAudioFrames(const std::string& ffmpeg, const std::string& path, SplitPageState& split, RunObserver& observer,
                    const std::atomic<int>& abort);

enum class SplitScan {
  kReady,
  kFailedVideo,  // the page shows no file after this
  kFailedAudio,  // the page keeps the file's path and streams, but has no range
};
// The scan that fits the probed file (split.video_kind): keyframes for a video, audio frames otherwise.
SplitScan ScanSplitFile(const std::string& ffmpeg, const std::string& path, SplitPageState& split,
                        RunObserver& observer, const std::atomic<int>& abort);

// Forgets the frame data and the pictures (the positions too); the page's controls are the page's.
void ClearSplitFrames(SplitPageState& split);

}  // namespace clipwright
