// Media and tool runs for the tests: clips made with FFmpeg's own generators at test time, the
// stream lines of a file, and any command line run to its end. Everything goes through
// platform::ChildProcess, so it works the same natively and under Wine.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipwright::testing {

// `text` in double quotes, as a command line names a path.
std::string Quoted(std::string_view text);

// The quoted path of this build's FFmpeg (test_config::kFfmpeg), to begin a command line with.
std::string FfmpegCommand();

// The path of a helper program built from tests/tools/<name>.cpp.
std::string TestToolPath(std::string_view name);

// Runs a command line (the program first, quoted) until the program exits, and returns its
// standard output and standard error as one text; nullopt when it could not be started. The
// program starts in `working_folder` (empty: the test's current folder).
std::optional<std::string> RunCommand(std::string_view command_line, const std::string& working_folder = {});

// Makes a clip of `seconds` with FFmpeg: a 160x120 25 fps test picture when `video`, a 440 Hz
// tone when `audio`. `extra_args` go right before the output path, e.g. "-c:v libx264 -g 25" or
// "-c:a libmp3lame"; without them FFmpeg picks the container's default codecs. True when FFmpeg
// left a non-empty file at `path`.
bool MakeClip(const std::string& path, double seconds, bool video, bool audio, std::string_view extra_args = "");

// A short MOV of `streams` tiny audio streams (the Matroska muxer of the Windows build stops at
// 256 tracks). True when FFmpeg left a non-empty file.
bool MakeManyStreams(const std::string& path, int streams);

// The "Stream #0:..." lines that FFmpeg prints for a file, without leading blanks or line ends;
// empty when FFmpeg cannot read the file.
std::vector<std::string> ProbeStreams(const std::string& path);

// The kind word of each stream line, in order: "Video", "Audio", "Subtitle" or "Data".
std::vector<std::string> LineKinds(const std::vector<std::string>& stream_lines);
// The same for the streams of a file.
std::vector<std::string> StreamKinds(const std::string& path);

// The play time FFmpeg reports for a file in seconds; -1 when it reports none.
double PlayTime(const std::string& path);
// The frames of the file's first video stream, decoded.
std::int64_t DecodedFrames(const std::string& path);

}  // namespace clipwright::testing
