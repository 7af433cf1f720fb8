// One keyframe's picture as the split page shows it: FFmpeg decodes that keyframe alone and
// scales it to 207 pixels height with the filters the decoding scan pictures every keyframe
// with, so the rows come out the same.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/command_line.h"


namespace clipwright {

// A picture as a 24-bit BMP file holds it: rows of blue, green and red samples, each row padded
// to a multiple of 4 bytes, the bottom row first when the height is positive.
struct Picture {
  int width = 0;
  int height = 0;  // negative: the top row first
  std::vector<std::uint8_t> rows;
};

// Bytes per row of a 24-bit picture `width` pixels wide.
inline std::size_t PictureRowBytes(int width) { return (static_cast<std::size_t>(width) * 24 + 31) / 32 * 4; }

// The pixel rows of a BMP file as FFmpeg writes it (uncompressed, 24 bits per pixel); nothing
// when the bytes are no such file, or are cut short.
std::optional<Picture> ReadBmp(std::string_view bytes);
// The same from the file at `path`.
std::optional<Picture> ReadBmpFile(const std::string& path);

// The filters of both ways a keyframe's picture is made (one keyframe alone, or every keyframe
// while the whole video is decoded), so that the two give the same rows: keyframes only, scaled
// to 207 pixels height.
void AddKeyframePictureFilters(CommandLine& command);

// Where the pictures of one video come from.
struct PictureSource {
  std::string ffmpeg;
  std::string video;
  std::vector<double> keyframe_times;  // the shown time of each keyframe, as the frame list has it
  std::vector<double> frame_times = {};  // the shown time of every frame, then of the end
};

// Makes the picture of keyframe k into the BMP file `file` (in a folder of the program's own),
// reads it into `picture` and deletes the file whatever happened. A RunVerdict: aborted when
// `abort` was set while FFmpeg ran.
int MakeKeyframePicture(const PictureSource& source, std::uint32_t k, const std::string& file,
                        const std::atomic<int>& abort, Picture* picture);
// The same for any frame: FFmpeg decodes from the keyframe before it up to the frame.
int MakeFramePicture(const PictureSource& source, std::uint32_t frame, const std::string& file,
                     const std::atomic<int>& abort, Picture* picture);

}  // namespace clipwright
