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

// The job's step, then the removal of the ID3v2 tags FFmpeg writes at the start of an MP3
// output when the settings ask for it (a removal that fails fails the file).
void AddJobSteps(FilePlan& file, PlannedCommand command, const RunSettings& settings, double duration = 0);

// "-map <input>:<number>" for every chosen stream of `streams`, and their kinds, in output order.
void AddStreamMaps(PlannedCommand& command, int input, const std::vector<StreamChoice>& streams,
                   std::vector<StreamKind>* kinds);

// The settings' options from `first`, then "-y" and the output: FFmpeg writes over the file the
// run has just taken for it.
void AddOptionsAndOutput(PlannedCommand& command, const RunSettings& settings, int first);

}  // namespace clipwright
