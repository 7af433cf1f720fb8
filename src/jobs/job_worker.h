// The worker of one FFmpeg run (split, concatenate, multiplex, separate, convert).
#pragma once

#include "common/dialog.h"
#include "common/requests.h"
#include "jobs/job_context.h"

namespace clipwright {

// Runs the whole job on the calling (worker) thread: one command per file, status texts in
// `progress`, the summary, and the end-of-run contract (timer stopped, 中断 hidden, 閉じる
// shown). `page` is the page that started the run.
// After a convert with "完了後に電源断" checked that was not aborted, asks for a shut-down through
// job.power_off (platform::RequestPowerOff when empty).
void JobWorker(JobContext& job, Dialog& progress, Dialog& page, Requests& requests);

// The word of an operation in the progress texts: "分割", "連結", "多重化", "分離", "変換"; empty
// for any other code.
const char* OperationWord(int operation);

}  // namespace clipwright
