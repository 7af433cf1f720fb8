// What the FFmpeg job plans share: the file of a job and the pieces of its command.
#pragma once

#include <string>
#include <vector>

#include "jobs/file_plan.h"
#include "jobs/run_requests.h"
#include "settings/run_settings.h"

namespace clipwright {

// A job file reading `inputs` (as listed) into a `container` output: temp copies as the settings
// say, the output first named "<name>_<n>.<container>" beside what the command reads last, and
// its final name beside `display_name` ("<name>_<n>.<container>") when `numbered`. The command
// is the plan's to add.
FilePlan JobFile(const std::string& display_name, std::vector<std::string> inputs, const std::string& container,
                 const RunSettings& settings, bool numbered);

// The step that runs the job's command, logged and reported as the job's own.
FileStep JobStep(PlannedCommand command, double duration = 0);

// The job's command as the file's step, and after it, for an MP3 output when the settings ask
// for it, the removal of the ID3 tag FFmpeg writes.
void AddJobSteps(FilePlan& file, PlannedCommand command, const RunSettings& settings, const std::string& container,
                 double duration = 0);

// "-map <input>:<number>" for every chosen stream of `streams`, and their kinds, in output order.
void AddStreamMaps(PlannedCommand& command, int input, const std::vector<StreamChoice>& streams,
                   std::vector<StreamKind>* kinds);

// The settings' options from `first`, then "-y" and the output: FFmpeg writes over the file the
// run has just taken for it.
void AddOptionsAndOutput(PlannedCommand& command, const RunSettings& settings, int first);

// The end of a stream copy's command ("-c copy", the copy operations' options, the output) as
// the file's steps.
void AddCopySteps(FilePlan& file, PlannedCommand command, const RunSettings& settings, const std::string& container);

// A cut of the split page's file: FFmpeg reads it from its seek (or from the start), copying for
// its length.
void AddCut(PlannedCommand& command, const SplitCut& cut);

// What a piece of `cut` must hold: the cut's video stream (the file's first video that is no
// cover picture, which is what the keyframes were read from) starts on a keyframe and holds the
// packets between the keyframes; an audio file's piece plays as long as the range. `streams` are
// those of the file; only the chosen ones are in the output, unless `every_stream`.
void ExpectCut(OutputExpectation& expected, const SplitCut& cut, const std::vector<StreamChoice>& streams,
               bool every_stream);

}  // namespace clipwright
