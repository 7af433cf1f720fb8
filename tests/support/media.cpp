#include "support/media.h"

#include <cstdlib>
#include <memory>

#include "platform/files.h"
#include "platform/process.h"
#include "test_config.h"

namespace clipwright::testing {

std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted.append(text);
  quoted += '"';
  return quoted;
}

std::string FfmpegCommand() { return Quoted(test_config::kFfmpeg); }

std::string TestToolPath(std::string_view name) {
  return std::string(test_config::kToolDir) + std::string(name) + test_config::kToolSuffix;
}

std::optional<std::string> RunCommand(std::string_view command_line, const std::string& working_folder) {
  const std::unique_ptr<platform::ChildProcess> child = platform::ChildProcess::Start(command_line, working_folder);
  if (!child) return std::nullopt;
  std::string output;
  for (;;) {
    child->WaitForOutputOrExit(50);
    output += child->ReadAvailable(1 << 20);
    if (child->HasExited() || child->OutputEnded()) break;
  }
  // What the program wrote just before it exited.
  for (std::string more; !(more = child->ReadAvailable(1 << 20)).empty();) output += more;
  child->WaitForExit(5000);
  return output;
}

bool MakeClip(const std::string& path, double seconds, bool video, bool audio, std::string_view extra_args) {
  const std::string length = std::to_string(seconds);
  std::string command = FfmpegCommand() + " -hide_banner -nostdin -y";
  if (video) command += " -f lavfi -i testsrc=size=160x120:rate=25:duration=" + length;
  if (audio) command += " -f lavfi -i sine=frequency=440:sample_rate=44100:duration=" + length;
  if (!extra_args.empty()) command.append(" ").append(extra_args);
  command.append(" ").append(Quoted(path));
  if (!RunCommand(command)) return false;
  const auto size = platform::FileSize(path);
  return size && *size > 0;
}

bool MakeManyStreams(const std::string& path, int streams) {
  std::string maps;
  for (int i = 0; i < streams; ++i) maps += " -map 0:a";
  if (!RunCommand(FfmpegCommand() + " -hide_banner -nostdin -y -f lavfi -i sine=duration=0.05:sample_rate=8000" +
                  maps + " -c:a pcm_u8 " + Quoted(path))) {
    return false;
  }
  const auto size = platform::FileSize(path);
  return size && *size > 0;
}

std::vector<std::string> ProbeStreams(const std::string& path) {
  std::vector<std::string> lines;
  const auto output = RunCommand(FfmpegCommand() + " -hide_banner -nostdin -i " + Quoted(path));
  if (!output) return lines;
  // Only a line that begins with it is a stream line: tags can hold the same words.
  std::size_t at = 0;
  while (at < output->size()) {
    std::size_t end = output->find_first_of("\r\n", at);
    if (end == std::string::npos) end = output->size();
    const std::size_t text = output->find_first_not_of(' ', at);
    if (text < end && output->compare(text, 10, "Stream #0:") == 0) lines.push_back(output->substr(text, end - text));
    at = end + 1;
  }
  return lines;
}

std::vector<std::string> LineKinds(const std::vector<std::string>& stream_lines) {
  std::vector<std::string> kinds;
  for (const std::string& line : stream_lines) {
    for (const char* kind : {"Video", "Audio", "Subtitle", "Data"}) {
      if (line.find(std::string(": ") + kind + ":") != std::string::npos) {
        kinds.emplace_back(kind);
        break;
      }
    }
  }
  return kinds;
}

std::vector<std::string> StreamKinds(const std::string& path) { return LineKinds(ProbeStreams(path)); }

double PlayTime(const std::string& path) {
  const auto output = RunCommand(FfmpegCommand() + " -hide_banner -nostdin -i " + Quoted(path));
  const std::size_t at = output ? output->find("Duration: ") : std::string::npos;
  if (at == std::string::npos || output->compare(at + 10, 3, "N/A") == 0) return -1;
  const std::string time = output->substr(at + 10, 11);
  return std::atoi(time.substr(0, 2).c_str()) * 3600 + std::atoi(time.substr(3, 2).c_str()) * 60 +
         std::atof(time.substr(6).c_str());
}

std::int64_t DecodedFrames(const std::string& path) {
  const auto listing =
      RunCommand(FfmpegCommand() + " -hide_banner -nostdin -v error -i " + Quoted(path) + " -map 0:v:0 -f framemd5 -");
  std::int64_t frames = 0;
  for (std::size_t at = 0; listing && (at = listing->find("\n0,", at)) != std::string::npos; ++at) ++frames;
  return frames;
}

}  // namespace clipwright::testing
