// The split at every keyframe: the split page's file cut into one piece per keyframe, each from
// its keyframe to the next (the last to the end of the video), copied without re-encoding.
#pragma once

#include "common/dialog.h"
#include "common/requests.h"
#include "jobs/job_context.h"

namespace clipwright {

// Runs the whole split on the calling (worker) thread from job.split's keyframes, with status
// texts in `progress` and the end-of-run contract. Piece i of "name.ext" is
// "name_[iiiiii]_aaaaaa-bbbbbb.<container>" beside it (a and b: the frame numbers of its two
// keyframes) and replaces an earlier piece of that name. A piece whose command would pass the
// command-line limit is not run and counts as failed; what FFmpeg left of a piece that failed
// or was aborted is removed, unless a file of that name was there before the run.
void KeyframeSplitWorker(JobContext& job, Dialog& progress, Dialog& page, Requests& requests);

}  // namespace clipwright
