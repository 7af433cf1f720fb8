// What the volume job decides for one listed file before it runs anything: which stream is the
// audio, how the working file is made, and the command lines of its steps.
#pragma once

#include <string>
#include <string_view>

#include "analysis/stream_model.h"

namespace clipwright {

// How the working file of a listed file is made.
enum class WorkingCopy {
  kContainer,  // FFmpeg stream copy into MP4: ".m4a" and ".aac", whatever 音声のみ says
  kAudioOnly,  // FFmpeg copy of the audio stream alone: any other extension with 音声のみ
  kBytes,      // byte copy: ".mp3", and any other extension without 音声のみ
};
WorkingCopy ChooseWorkingCopy(std::string_view extension, bool audio_only);

// The position of the first stream line that holds "Audio: aac" or "Audio: mp3" (exactly so
// written), the only audio AACGain changes; -1 when there is none.
int FindAudioStream(const FileEntry& file);

// FFmpeg's stream copy of `input` into `output`: `map` ("-map 0:n" or empty) and the settings
// page's metadata options (from kMetadataOptionsFirstEntry, each with a blank before it).
// `output` is a file the job has just created, so FFmpeg is told to write over it.
std::string CopyCommand(std::string_view ffmpeg, std::string_view input, std::string_view map,
                        std::string_view options, std::string_view output);

// AACGain's analysis of `file` (a bare name in the tool's working folder) for a target level in
// dB: the change asked for is the target less AACGain's reference of 89 dB.
std::string AnalysisCommand(std::string_view aacgain, double target_level, std::string_view file);

// AACGain's application of `gain` steps of 1.5 dB to `file`, in place.
std::string ApplyCommand(std::string_view aacgain, int gain, std::string_view file);

}  // namespace clipwright
