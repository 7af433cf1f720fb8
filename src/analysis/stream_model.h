// The stream information of the files on a page, as the probe stored it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/keyframe_pictures.h"
#include "platform/files.h"
#include "tools/packet_listing.h"

namespace clipwright {

struct StreamEntry {
  std::string text;  // the stream line as FFmpeg prints it, from "Stream #0:" to the end of the line
  int selected = 1;  // 1: used by the page's job; every stream of a new file starts at 1
};

// The kind a stream line names ("Stream #0:1(eng): Audio: aac …"); kUnknown when it names none.
StreamKind StreamKindOf(std::string_view line);
// A cover picture: a video stream of one picture, which FFmpeg's "V" (video proper) passes over.
bool IsAttachedPicture(std::string_view line);
// The parts of a video or audio stream line after its kind ("h264 (High) (avc1 / …)",
// "yuv420p(tv, bt709)", "1280x720 [SAR 1:1 DAR 16:9]", …), split at the commas outside
// brackets; empty for another kind.
std::vector<std::string_view> StreamLineFields(std::string_view line);
// A field's first word: "h264" of "h264 (High) (avc1 / …)".
inline std::string_view FirstWord(std::string_view field) { return field.substr(0, field.find_first_of(" ([")); }

// One input file of a list page. Its path is held only as the text of its file-list row.
struct FileEntry {
  std::vector<StreamEntry> streams;  // in FFmpeg's order, at most STREAM_CAPACITY
  double duration = 0;               // seconds; kept on the convert page only
  std::optional<platform::FileStamp> stamp = {};  // the file as it was when it was added
};

// The files of a list page; entry n belongs to row n of the page's file list.
struct FileList {
  std::vector<FileEntry> files;
  bool keeps_durations = false;  // the convert page
};

// The split page's frame and keyframe data.
struct SplitPageState {
  int video_kind = 0;  // 0 no video (frame mode), 1 video with the "isomiso2" brand, 2 other video
  std::uint32_t last_frame_index = 0;
  // Start of each frame in seconds, as shown (presentation time). Video: every frame, and an end
  // entry at last_frame_index; audio: every audio frame.
  std::vector<double> frame_times;
  std::uint32_t keyframe_count = 0;
  std::vector<std::uint32_t> keyframe_frames;  // keyframe_count entries and the end marker
  // Where a cut from each keyframe begins to read: the keyframe packet's decode time, which
  // FFmpeg's input seek with stream copy goes by, and which lies before its presentation time
  // when the video has B-frames. keyframe_count entries, then the end of the video.
  std::vector<double> keyframe_decode_times;
  // Where each keyframe's packet stands in the listing, in decode order, then the number of
  // packets: a piece between two keyframes holds the packets between their places. Empty when
  // the listing could not tell (the decoding scan could not match a keyframe to its packet).
  std::vector<std::int64_t> keyframe_packets;
  // Every packet's checksum, in the listing's order; empty with keyframe_packets. A frame cut's
  // check holds its copied packets to them without listing the source again.
  std::vector<std::uint32_t> packet_crcs;
  // The pictures of the keyframes, made when the page first shows them.
  KeyframePictures pictures;
  // A video's range moves frame by frame ("フレーム単位") rather than from keyframe to keyframe.
  bool by_frame = false;
  std::uint32_t start_frame = 0;
  std::uint32_t end_frame = 0;
  std::uint32_t start_key = 0;
  std::uint32_t end_key = 0;
};

}  // namespace clipwright
