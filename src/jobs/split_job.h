// The split page's run: one range through the job worker, or every keyframe through the
// keyframe split worker; and the pieces of a cut's command that both share.
#pragma once

#include <string>

#include "analysis/split_range.h"
#include "analysis/stream_model.h"
#include "common/dialog.h"
#include "jobs/job_context.h"

namespace clipwright {

// " -ss <seek>" before the input, when the cut does not read from the very start.
std::string SeekPiece(const SplitCut& cut);
// " -ss 0 -t <length>" after the input (" -t <length>" without a seek).
std::string TimePiece(const SplitCut& cut);

// Fills `job` for the page's run button: a split at every keyframe while "キーフレームで全分割"
// is checked, else one split of the page's range. False, and the user has been told in a message
// box, when there is nothing to cut (no keyframes, no range).
bool PrepareSplitJob(SplitPageState& split, Dialog& page, JobContext& job);

}  // namespace clipwright
