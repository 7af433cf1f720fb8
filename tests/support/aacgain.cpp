#include "support/aacgain.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/files.h"
#include "platform/paths.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "test_config.h"

namespace clipwright::testing {

std::optional<int> Recommendation(const std::string& file) {
  TempDir scratch;
  std::string name = "probe" + platform::SplitPath(file).extension;
  if (name.ends_with(".aac")) {
    // AACGain reads AAC inside MP4 only, as the job hands it over.
    name = "probe.mp4";
    RunCommand(FfmpegCommand() + " -hide_banner -nostdin -i " + Quoted(file) + " -c copy " + Quoted(scratch.File(name)));
  } else {
    std::filesystem::copy_file(FsPath(file), FsPath(scratch.File(name)));
  }
  const auto output = RunCommand(Quoted(test_config::kAacgain) + " /e /c /d 11.000000 /s s " + Quoted(name), scratch.path());
  constexpr std::string_view kLine = "Recommended \"Track\" mp3 gain change: ";
  const std::size_t at = output ? output->find(kLine) : std::string::npos;
  if (at == std::string::npos) return std::nullopt;
  return std::atoi(output->c_str() + at + kLine.size());
}

std::vector<int> AppliedGains(const std::vector<std::string>& statuses) {
  constexpr std::string_view kStart = "ファイルにMP3ゲイン[";
  std::vector<int> gains;
  for (const std::string& status : statuses) {
    if (status.starts_with(kStart)) gains.push_back(std::atoi(status.c_str() + kStart.size()));
  }
  return gains;
}

bool Decodes(const std::string& file) {
  const auto output = RunCommand(FfmpegCommand() + " -v error -nostdin -i " + Quoted(file) + " -f null -");
  return output && output->find_first_not_of("\r\n") == std::string::npos;
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const platform::FolderEntry& entry : platform::ListFolder(folder)) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

std::string FileBytes(const std::string& path) {
  std::string bytes;
  platform::ReadWholeFile(path, &bytes);
  return bytes;
}

bool MakeTaggedMp3(const std::string& path, double seconds) {
  const auto output = RunCommand(FfmpegCommand() +
                                 " -hide_banner -nostdin -y -f lavfi -i testsrc=size=160x120:rate=1:duration=1"
                                 " -f lavfi -i sine=frequency=440:sample_rate=44100:duration=" +
                                 std::to_string(seconds) +
                                 " -map 1:a -map 0:v -c:v mjpeg -disposition:v attached_pic -c:a libmp3lame"
                                 " -id3v2_version 3 -metadata title=Loud " +
                                 Quoted(path));
  const auto size = platform::FileSize(path);
  return output && size && *size > 0;
}

}  // namespace clipwright::testing
