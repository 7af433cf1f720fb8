// The volume page's run (AACGain) as a plan for the run driver. Every listed file gets a working
// file of the run's own beside it (a byte copy, or an FFmpeg stream copy into MP4 or of the audio
// alone), AACGain's analysis towards the target level and the recommended gain, the metadata pass
// and the ID3 tag removal when the settings ask for them; the working file then becomes the
// first free "<name>_<n>" beside the listed file. The listed file is never written.
#pragma once

#include <string_view>
#include <vector>

#include "jobs/file_plan.h"
#include "jobs/run_requests.h"
#include "settings/run_settings.h"

namespace clipwright {

struct VolumeRequest {
  std::vector<InputFile> files;
  double target_level = 100.0;  // dB, as ReadTargetLevel reads the page's text
  bool audio_only = false;      // "音声のみ"
};

RunPlan PlanVolume(const VolumeRequest& request, const RunSettings& settings);

// How the working file of a listed file is made.
enum class WorkingCopy {
  kContainer,  // FFmpeg stream copy into MP4: ".m4a" and ".aac", whatever 音声のみ says
  kAudioOnly,  // FFmpeg copy of the audio stream alone: any other extension with 音声のみ
  kBytes,      // byte copy: ".mp3", and any other extension without 音声のみ
};
WorkingCopy ChooseWorkingCopy(std::string_view extension, bool audio_only);

// The extension the working file gets: ".mp4" for ".m4a" and ".aac" (in any case), which become
// MP4 files; any other stays as it is.
std::string WorkingExtension(std::string_view extension);

// FFmpeg's number of the first stream whose line holds "Audio: aac" or "Audio: mp3" (exactly so
// written), the only audio AACGain changes; -1 when there is none.
int FindAudioStream(const std::vector<StreamChoice>& streams);

}  // namespace clipwright
