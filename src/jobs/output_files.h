// The files around one FFmpeg job: temp copies of the inputs, the output name written into the
// command, the concat list, the final name of the output, the clean-up after the run, and the
// command log. Names are made from the input's own drive, directory, name and extension, so a
// path keeps the separators it came with.
#pragma once

#include <string>
#include <string_view>

#include "common/dialog.h"
#include "common/requests.h"
#include "jobs/job_context.h"

namespace clipwright {

// A name is free only when nothing, neither file nor folder, exists at the path. (A file that
// merely cannot be opened, locked or unreadable, is not free.)
bool IsFreeName(const std::string& path);

// The output container combo of an operation's page (2600, 3100, 4200, 5100, 6600); 0 for others.
int ContainerComboId(int operation);

// Copies `path` to the first free "temp0001<ext>", "temp0002<ext>", … beside it, without
// overwriting, records the copy in temp slot `slot` and replaces `path` by the copy's name. A
// copy that fails leaves the slot empty (nothing of ours to remove) while `path` still names the
// copy, so the run then fails on a missing input. An empty path is left as it is.
void MakeTempCopy(JobContext& job, std::string& path, int slot);

// Where the concat list of a list ending in `last_file` goes: input.txt beside that file, or,
// when something already has that name, the first free input_1.txt, input_2.txt, …, so that a
// file of the user's is never overwritten.
std::string ConcatListPath(const std::string& last_file);

// Writes FFmpeg's concat list for the concatenate page's file list (3005), in list order, as
// UTF-8 without a byte-order mark (what the concat demuxer reads), with a quote in a path written
// as '\''. With `temp_copies`, row n is first copied into slot n and the list names the copies.
// A list that cannot be written is skipped; the command still names it.
void WriteConcatList(JobContext& job, Dialog& page, const std::string& list_path, bool temp_copies);

// Reads the operation's output container into job.container, then returns the first free
// "<name>_<n>.<container>" beside `input_path`, n from 1.
std::string MakeOutputPath(JobContext& job, Dialog& page, const std::string& input_path);

// After a run, whatever its verdict: renames an existing output to its final free name beside
// `display_name` (a split gets "<name>_<start>-<end>_1<ext>" first), then removes the temp copies
// of the first `slot_count` slots (slot 0 alone with `single_copy`) and, for a concatenate
// without `single_copy`, the concat list `input_path`.
void FinishOutputFiles(JobContext& job, const std::string& display_name, const std::string& input_path,
                       const std::string& output_path, int slot_count, bool single_copy);

// Appends `command` and CR LF to log.txt in `folder` (empty: the executable's folder) when the
// settings page's "コマンドログ作成" is checked. A new log starts with the UTF-8 byte-order mark.
// A log that cannot be written is skipped.
void AppendCommandLog(Requests& requests, std::string_view command, std::string_view folder = {});

}  // namespace clipwright
