// The worker of one run of the volume page (AACGain).
#pragma once

#include "common/dialog.h"
#include "common/requests.h"
#include "volume/volume_job.h"

namespace clipwright {

// Runs the whole job on the calling (worker) thread. Every listed file in turn gets a working
// file beside it (a byte copy, or an FFmpeg stream copy into MP4 or of the audio alone), AACGain's
// analysis towards the page's target level and the recommended gain, the metadata pass and the
// ID3 tag removal when the settings page asks for them, and then the working file becomes the
// file's first free "<name>_<n>" beside it. The source is never written; every file the run made
// and does not keep is removed, and one that cannot be is named in the status. Then the summary,
// the end-of-run contract (timer stopped, 中断 hidden, 閉じる shown) and, with 完了後に電源断 and
// no abort, the shut-down (job.power_off, or platform::RequestPowerOff when empty).
void VolumeWorker(VolumeJob& job, Dialog& progress, Dialog& page, Requests& requests);

}  // namespace clipwright
