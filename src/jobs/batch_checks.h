// What is looked at before a run starts, so that the user hears of a problem while still there
// and not from the summary of a long batch: the streams of the files of a join, and every file
// of a batch. Each check lists the files it finds fault with, for one message box.
#pragma once

#include <string>
#include <vector>

#include "jobs/file_plan.h"
#include "jobs/run_requests.h"
#include "settings/run_settings.h"

namespace clipwright {

// A file found fault with, and what is wrong.
struct FileProblem {
  int position = 0;  // in the list, from 1
  std::string path;
  std::string difference;  // "映像 1280x720（1 本目は 640x360）"
};

// The concat demuxer with stream copy makes a broken or silent file of inputs whose streams do
// not match, so each listed file is compared with the first, from the stream lines the probe
// stored.

// Compares, in order: the number of streams and the kind of each; per video stream the codec,
// size, pixel format and frame rate; per audio stream the codec, sample rate and channel layout.
std::vector<FileProblem> CompareForJoin(const std::vector<InputFile>& files);

// The question of the message box: every differing file (at most ten, then how many more) and
// whether to join anyway.
std::string JoinQuestion(const std::vector<FileProblem>& mismatches);
inline constexpr const char* kJoinQuestionCaption = "連結確認";

// Every file of a batch, before the first runs: its sources are there, readable and as they were
// added, its output folder takes a new file, its output names can be had and fit a path, and its
// commands fit the length limit.
std::vector<FileProblem> CheckBatch(const RunPlan& plan, const RunSettings& settings);
// The box's question: the files that cannot be made, and whether to make the others.
std::string BatchQuestion(const std::vector<FileProblem>& problems);
inline constexpr const char* kBatchQuestionCaption = "実行前の確認";
// The files of `problems` are not run; each tells its problem when its turn comes.
void SetAside(RunPlan* plan, const std::vector<FileProblem>& problems);

}  // namespace clipwright
