// Stream choices and the convert page's encoding choices as FFmpeg arguments: the " -map" piece
// of every selected stream (all five operations), each followed for a convert by the encoding
// arguments of its kind, and the playback-speed filter of a convert.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/stream_model.h"
#include "common/dialog.h"
#include "jobs/job_context.h"

namespace clipwright {

// One selected index per option list of the convert page (-1 nothing selected, 0 "指定なし"),
// an index into the list of ConvertOptionLists() with the same combo.
struct ConvertOptions {
  int video_codec = -1;     // 6201
  int preset = -1;          // 6202
  int tune = -1;            // 6203
  int video_profile = -1;   // 6204
  int level = -1;           // 6205
  int video_quality = -1;   // 6206
  int frame_rate = -1;      // 6207
  int frame_size = -1;      // 6208
  int aspect = -1;          // 6209
  int pixel_format = -1;    // 6210
  int audio_codec = -1;     // 6300
  int audio_profile = -1;   // 6301
  int audio_quality = -1;   // 6302
  int sample_rate = -1;     // 6303
  int channels = -1;        // 6304
  int cutoff = -1;          // 6305
  int volume = -1;          // 6306
  int subtitle_codec = -1;  // 6400
  int speed = -1;           // 6500
};

// The selections of the convert page's nineteen combos.
ConvertOptions ReadConvertOptions(Dialog& page);

// The words that classify a stream line, tried in this order, case-sensitively.
inline constexpr std::array<std::string_view, 5> StreamKindWord = {"Video", "Audio", "Subtitle", "Data",
                                                                   "Attachment"};

// The streams of one input of a command; a stream's position is its index within the input.
using StreamTable = std::vector<StreamEntry>;

// The stream arguments from tables already gathered: `inputs` holds one table per input
// (two for a multiplex). `audio_only` is the separate page's "音声のみ抽出".
void AppendStreamArguments(int operation, const std::vector<StreamTable>& inputs, const ConvertOptions& options,
                           bool audio_only, std::string& text);

// Gathers the stream tables, options and audio-only box of file `file_index` from `page` (the
// stream lists of split, concatenate and multiplex; the file entries of separate and convert)
// and appends the stream arguments to `text`.
void AppendStreamArguments(const JobContext& job, Dialog& page, int input_count, int file_index, std::string& text);

// The playback-speed filter of speed-list index `speed_index`; empty for 0, -1 or past the list.
std::string SpeedFilterArgument(int speed_index);
// The same for the convert page's current speed selection.
std::string SpeedFilterArgument(Dialog& page);

}  // namespace clipwright
