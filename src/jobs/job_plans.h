// The plans of the FFmpeg runs of the pages: each turns a request and the settings into the
// files to make (RunPlan), for the run driver.
#pragma once

#include <string>
#include <string_view>

#include "jobs/file_plan.h"
#include "jobs/run_requests.h"
#include "settings/run_settings.h"

namespace clipwright {

RunPlan PlanSplit(const SplitRequest& request, const RunSettings& settings);
RunPlan PlanFrameCut(const FrameCutRequest& request, const RunSettings& settings);
RunPlan PlanKeyframeSplit(const KeyframeSplitRequest& request, const RunSettings& settings);
RunPlan PlanConcatenate(const ConcatenateRequest& request, const RunSettings& settings);
RunPlan PlanMultiplex(const MultiplexRequest& request, const RunSettings& settings);
RunPlan PlanSeparate(const SeparateRequest& request, const RunSettings& settings);
RunPlan PlanConvert(const ConvertRequest& request, const RunSettings& settings);

// The playback-speed filter of a speed item ("1/2", "2", …); empty for none or an unknown item.
std::string SpeedFilter(std::string_view speed);

}  // namespace clipwright
