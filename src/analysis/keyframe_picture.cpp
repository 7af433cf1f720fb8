#include "analysis/keyframe_picture.h"

#include <cmath>
#include <cstdlib>

#include "tools/number_text.h"
#include "platform/files.h"
#include "tools/analysis_result.h"
#include "tools/command_line.h"
#include "tools/tool_runner.h"

namespace clipwright {
namespace {

std::uint32_t ReadLittleEndian32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return value;
}

std::uint16_t ReadLittleEndian16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// File header (14 bytes) and the info header's fields up to the compression (30 more).
constexpr std::size_t kHeaderBytes = 14 + 20;

// A picture's FFmpeg is stopped soon after an abort: its file is thrown away anyway.
constexpr RunToolLimits kPictureRunLimits{1000};

// Only keyframes are decoded (-skip_frame nokey) and passed on (select=key). The seek names the
// keyframe's time, cut down to the microsecond FFmpeg reads: the seek lands on keyframe k, or on
// one before it where the container or a time base finer than that says otherwise, and what is
// shown before that time is dropped. Either way the first keyframe that comes through is k.
// One decoding thread: there is one picture to decode, and starting more takes longer than that.
CommandLine PictureCommand(const PictureSource& source, std::uint32_t k, const std::string& file) {
  CommandLine command(source.ffmpeg);
  command.AddWords("-hide_banner -nostats -loglevel error -skip_frame nokey -threads 1");
  if (k > 0) command.Add("-ss").Add(FixedText(std::floor(source.keyframe_times[k] * 1e6) / 1e6, 6));
  command.Add("-i").AddQuoted(source.video).AddWords("-map 0:V:0 -an -sn -dn");
  AddKeyframePictureFilters(command);
  // -update: the name is taken as it is, not as a pattern of numbered pictures.
  command.AddWords("-frames:v 1 -update 1 -y").AddQuoted(file);
  return command;
}

}  // namespace

void AddKeyframePictureFilters(CommandLine& command) {
  command.Add("-vf").AddQuoted("select=key,scale=-1:207").AddWords("-sws_flags bilinear");
}

std::optional<Picture> ReadBmp(std::string_view bytes) {
  if (bytes.size() < kHeaderBytes || bytes.substr(0, 2) != "BM") return std::nullopt;
  const std::uint32_t offset = ReadLittleEndian32(bytes, 10);
  const auto width = static_cast<std::int32_t>(ReadLittleEndian32(bytes, 18));
  const auto height = static_cast<std::int32_t>(ReadLittleEndian32(bytes, 22));
  const std::uint16_t bits = ReadLittleEndian16(bytes, 28);
  const std::uint32_t compression = ReadLittleEndian32(bytes, 30);
  // Widths past this could not be shown anyway, and keep the sizes below far from overflowing.
  constexpr std::int32_t kSideLimit = 1 << 15;
  if (bits != 24 || compression != 0 || width <= 0 || width > kSideLimit || height == 0 || height < -kSideLimit ||
      height > kSideLimit) {
    return std::nullopt;
  }
  const std::size_t size = PictureRowBytes(width) * static_cast<std::size_t>(std::abs(height));
  if (offset > bytes.size() || bytes.size() - offset < size) return std::nullopt;
  Picture picture{width, height, {}};
  picture.rows.assign(bytes.begin() + offset, bytes.begin() + offset + static_cast<std::ptrdiff_t>(size));
  return picture;
}

std::optional<Picture> ReadBmpFile(const std::string& path) {
  std::string bytes;
  if (!platform::ReadWholeFile(path, &bytes)) return std::nullopt;
  return ReadBmp(bytes);
}

namespace {

// Runs the picture's command and reads the picture; the file goes whatever happened.
int MakePicture(const CommandLine& command, const std::string& file, const std::atomic<int>& abort, Picture* picture) {
  std::string capture;
  NullObserver nobody;
  const int started = RunTool(capture, nobody, abort, command.Text(), SCAN_PROBE, 0, kPictureRunLimits);
  std::optional<Picture> made;
  if (started != 0 && abort.load() == 0) made = ReadBmpFile(file);
  platform::DeleteFileForced(file);
  if (abort.load() != 0) return VERDICT_ABORTED;
  if (!made) return VERDICT_FAILURE;
  *picture = std::move(*made);
  return VERDICT_SUCCESS;
}

}  // namespace

int MakeKeyframePicture(const PictureSource& source, std::uint32_t k, const std::string& file,
                        const std::atomic<int>& abort, Picture* picture) {
  if (k >= source.keyframe_times.size()) return VERDICT_FAILURE;
  return MakePicture(PictureCommand(source, k, file), file, abort, picture);
}

int MakeFramePicture(const PictureSource& source, std::uint32_t frame, const std::string& file,
                     const std::atomic<int>& abort, Picture* picture) {
  if (frame + 1 >= source.frame_times.size()) return VERDICT_FAILURE;
  // Half a frame early: the exact seek then starts on the frame itself, however its time rounds.
  const double time = source.frame_times[frame] - (source.frame_times[frame + 1] - source.frame_times[frame]) / 2;
  CommandLine command(source.ffmpeg);
  command.AddWords("-hide_banner -nostats -loglevel error -threads 1");
  if (time > 0) command.Add("-ss").Add(FixedText(time, 6));
  command.Add("-i").AddQuoted(source.video).AddWords("-map 0:V:0 -an -sn -dn");
  command.Add("-vf").AddQuoted("scale=-1:207").AddWords("-sws_flags bilinear");
  command.AddWords("-frames:v 1 -update 1 -y").AddQuoted(file);
  return MakePicture(command, file, abort, picture);
}

}  // namespace clipwright
