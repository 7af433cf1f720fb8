// What a page's run button hands to the run: one request per kind of run, filled from the page's
// controls once, when the button is pressed. Values only: paths, the chosen streams by FFmpeg's
// numbers, durations, the cut, the chosen option texts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/split_cuts.h"
#include "analysis/video_parameters.h"
#include "platform/files.h"

namespace clipwright {

// One stream of an input file as the page lists it.
struct StreamChoice {
  int number = 0;     // FFmpeg's index of the stream within its file
  std::string line;   // FFmpeg's line about it, from "Stream #0:"
  bool chosen = true;
};

struct InputFile {
  std::string path;
  std::vector<StreamChoice> streams;
  double duration = 0;  // seconds, as the probe found it; 0 when unknown
  // The file as it was when it was added: a run takes nothing from a file that has changed since.
  std::optional<platform::FileStamp> stamp = {};
};

// One range of the split page's file.
struct SplitRequest {
  InputFile file;  // the streams are the stream list's rows, chosen where checked
  std::string container;
  SplitCut cut;
};

// One range of the split page's video cut at any frame.
struct FrameCutRequest {
  InputFile file;  // the streams are the stream list's rows, chosen where checked
  std::string container;
  FrameCut cut;
  int video_stream = 0;  // FFmpeg's number of the video the frames were read from
  VideoParameters video;
};

// The split page's file cut at every keyframe: piece i runs from keyframe i to keyframe i + 1.
struct KeyframePiece {
  std::uint32_t first_frame = 0;  // frame number of the piece's keyframe
  std::uint32_t next_frame = 0;   // frame number of the next keyframe (or the end of the video)
  SplitCut cut;
};
struct KeyframeSplitRequest {
  InputFile file;  // every stream goes into every piece
  std::string container;
  std::vector<KeyframePiece> pieces;
};

struct ConcatenateRequest {
  std::vector<std::string> paths;      // in list order
  std::vector<StreamChoice> streams;   // the stream list's rows, chosen where checked
  std::string container;
  std::vector<std::optional<platform::FileStamp>> stamps = {};  // of the paths, as they were when added
};

struct MultiplexRequest {
  InputFile first;   // an input without a chosen stream takes no part
  InputFile second;
  std::string container;
};

struct SeparateRequest {
  std::vector<InputFile> files;
  bool audio_only = false;  // "音声のみ抽出": every stream that names Audio, whatever was chosen
  std::string container;
};

// The convert page's choices, each the item text chosen; empty for "指定なし" or none.
struct ConvertChoices {
  std::string video_codec, preset, tune, video_profile, level, video_quality, frame_rate, frame_size, aspect,
      pixel_format;
  std::string audio_codec, audio_profile, audio_quality, sample_rate, channels, cutoff, volume;
  std::string subtitle_codec;
  std::string speed;  // "1/2", "2", …: the playback speed
};

struct ConvertRequest {
  std::vector<InputFile> files;
  ConvertChoices choices;
  std::string container;
};

}  // namespace clipwright
