// Before a join: the concat demuxer with stream copy makes a broken or silent file of inputs
// whose streams do not match, so each listed file is compared with the first, from the stream
// lines the probe stored, and the user is asked before such a join runs.
#pragma once

#include <string>
#include <vector>

#include "jobs/run_requests.h"

namespace clipwright {

// A listed file whose streams differ from the first file's, and the first difference found.
struct JoinMismatch {
  int position = 0;  // in the list, from 1
  std::string path;
  std::string difference;  // "映像 1280x720（1 本目は 640x360）"
};

// Compares, in order: the number of streams and the kind of each; per video stream the codec,
// size, pixel format and frame rate; per audio stream the codec, sample rate and channel layout.
std::vector<JoinMismatch> CompareForJoin(const std::vector<InputFile>& files);

// The question of the message box: every differing file (at most ten, then how many more) and
// whether to join anyway.
std::string JoinQuestion(const std::vector<JoinMismatch>& mismatches);
inline constexpr const char* kJoinQuestionCaption = "連結確認";

}  // namespace clipwright
