#include "volume/volume_commands.h"

#include "common/ascii_case.h"
#include "jobs/number_text.h"

namespace clipwright {
namespace {

constexpr double kAudioGainReferenceDb = 89.0;

std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted.append(text);
  quoted += '"';
  return quoted;
}

}  // namespace

WorkingCopy ChooseWorkingCopy(std::string_view extension, bool audio_only) {
  if (EqualsIgnoringCase(extension, ".m4a") || EqualsIgnoringCase(extension, ".aac")) return WorkingCopy::kContainer;
  if (EqualsIgnoringCase(extension, ".mp3")) return WorkingCopy::kBytes;
  return audio_only ? WorkingCopy::kAudioOnly : WorkingCopy::kBytes;
}

int FindAudioStream(const FileEntry& file) {
  for (std::size_t i = 0; i < file.streams.size(); ++i) {
    const std::string& line = file.streams[i].text;
    if (line.find("Audio: aac") != std::string::npos || line.find("Audio: mp3") != std::string::npos) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::string CopyCommand(std::string_view ffmpeg, std::string_view input, std::string_view map,
                        std::string_view options, std::string_view output) {
  std::string command = Quoted(ffmpeg);
  command.append(" -i ").append(Quoted(input));
  if (!map.empty()) command.append(" ").append(map);
  command.append(" -hide_banner -c copy ").append(options).append(" -y ").append(Quoted(output));
  return command;
}

std::string AnalysisCommand(std::string_view aacgain, double target_level, std::string_view file) {
  return Quoted(aacgain) + " /e /c /d " + FixedText(target_level - kAudioGainReferenceDb, 6) + " /s s " + Quoted(file);
}

std::string ApplyCommand(std::string_view aacgain, int gain, std::string_view file) {
  return Quoted(aacgain) + " /g " + std::to_string(gain) + " /c /s s " + Quoted(file);
}

}  // namespace clipwright
