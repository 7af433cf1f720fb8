// The probe: FFmpeg is run on one file and its stream lines (and, on the convert page, its play
// time) land in the job's target. A file that is not added gets a line in error.txt.
#pragma once

#include <string>

#include "analysis/analysis_job.h"
#include "common/dialog.h"
#include "common/requests.h"

namespace clipwright {

// Extensions the volume page accepts (AACGain works on these only).
bool IsVolumeExtension(const std::string& path);

// Returns 1 when the file was probed and stored, 0 when it was not added (an error-list line was
// written then). Runs on the analysis worker thread; `page` is the page that owns the target.
int ProbeFile(AnalysisJob& job, Dialog& progress, Dialog& page, Requests& requests, const std::string& path);

}  // namespace clipwright
