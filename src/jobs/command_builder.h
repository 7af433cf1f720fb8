// One FFmpeg command per job file, from the page that started the run, the settings page and
// the conversion options.
#pragma once

#include <string>
#include <string_view>

#include "common/dialog.h"
#include "common/requests.h"
#include "jobs/job_context.h"

namespace clipwright {

// The command-length counter (UTF-16 units of the command + 2) may reach this and no more: a
// command of at most 507 units is accepted.
inline constexpr int COMMAND_LIMIT = 509;

// The command-length counter of a command: its UTF-16 units + 2.
int CommandCounter(std::string_view command);
// The refusal of a command whose counter passed COMMAND_LIMIT: two lines, or one where
// `line_break` is a blank.
std::string CommandTooLongText(int counter, std::string_view line_break = "\r\n");

// Paths of one job file, filled by BuildJobCommand.
struct JobFiles {
  std::string command;       // the command; left empty when it was refused
  std::string display_name;  // the listed path, shown as the file name
  std::string input_path;    // what the command reads: the listed file, its temp copy, or the concat list
  std::string output_path;   // what the command writes
  std::string failure;       // why the command could not be built, when a file could not be made
};

// Builds the command of file `file_index` of the run. Temp copies are made and the concat list
// written as needed (with `temp_copies`, the settings page's "一時ファイルを作成する"), and the
// command is logged. A command over COMMAND_LIMIT is refused with a message box owned by
// `progress` and the result is false; `files` still names what was made, for the clean-up. The
// result is false too, with the status in files->failure, when a copy, the concat list or a free
// output name could not be had, and without a status when the run was aborted meanwhile.
bool BuildJobCommand(JobContext& job, Dialog& page, Dialog& progress, Requests& requests, std::string_view ffmpeg,
                     int file_index, bool temp_copies, JobFiles* files);

// The entry from which the settings page's options are only the metadata ones: -map_chapters,
// -map_metadata and the bitexact flags (entries 15 to 17), which the volume job's copies take.
inline constexpr int kMetadataOptionsFirstEntry = 15;

// Appends " " + option text for every checked option of the settings page from entry
// `first_entry` (0 for a convert, 14 for the copy operations, kMetadataOptionsFirstEntry) to the
// last, entry 17.
void AppendGeneralOptions(std::string& text, Requests& requests, int first_entry);

// The argument of settings box `box`: empty when it is not checked, else its caption as the page
// shows it, followed, for a box with a value list (id box + 1), by a blank ("=" for
// "-vf transpose") and the selected value.
std::string GetOptionText(Dialog& settings, int box, bool has_value);

}  // namespace clipwright
