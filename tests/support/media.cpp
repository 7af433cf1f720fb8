#include "support/media.h"

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

std::optional<std::string> RunCommand(std::string_view command_line) {
  const std::unique_ptr<platform::ChildProcess> child = platform::ChildProcess::Start(command_line);
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

std::vector<std::string> ProbeStreams(const std::string& path) {
  std::vector<std::string> lines;
  const auto output = RunCommand(FfmpegCommand() + " -hide_banner -nostdin -i " + Quoted(path));
  if (!output) return lines;
  std::size_t at = 0;
  while ((at = output->find("Stream #0:", at)) != std::string::npos) {
    const std::size_t end = output->find_first_of("\r\n", at);
    lines.push_back(output->substr(at, end == std::string::npos ? std::string::npos : end - at));
    at = end == std::string::npos ? output->size() : end;
  }
  return lines;
}

}  // namespace clipwright::testing
