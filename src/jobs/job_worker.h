// The worker of one FFmpeg run (split, concatenate, multiplex, separate, convert).
#pragma once

#include "common/dialog.h"
#include "common/requests.h"
#include "jobs/job_context.h"

namespace clipwright {

// Runs the whole job on the calling (worker) thread: one command per file, status texts in
// `progress`, the summary, and the end-of-run contract (timer stopped, 中断 hidden, 閉じる
// shown). `page` is the page that started the run.
void JobWorker(JobContext& job, Dialog& progress, Dialog& page, Requests& requests);

}  // namespace clipwright
