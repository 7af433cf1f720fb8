// The files around one FFmpeg job: temp copies of the inputs, the output name written into the
// command, the concat list, the final name of the output, the clean-up after the run, and the
// command log. Names are made from the input's own drive, directory, name and extension, so a
// path keeps the separators it came with.
//
// A name beside the user's files is taken by making the file exclusively at the moment the name
// is chosen (a name taken in the meantime makes way for the next one), and the clean-up removes
// only what this run made.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/dialog.h"
#include "common/requests.h"
#include "jobs/job_context.h"
#include "platform/files.h"

namespace clipwright {

// Status texts of a file that fails before FFmpeg runs; the path in question follows.
inline constexpr std::string_view kTempCopyFailed = "一時ファイルを作成出来ませんでした： ";
inline constexpr std::string_view kConcatListFailed = "連結リストを作成出来ませんでした： ";
inline constexpr std::string_view kOutputNameFailed = "出力ファイル名を決められませんでした： ";

// The first free name among `name_for(first)`, `name_for(first + 1)`, …: one that a look-up finds
// nothing has, neither file nor folder nor link (a file that merely cannot be opened is not free).
// Empty when a look-up fails for a reason other than "no such file", for then nothing can be said
// about that name.
std::string FirstFreeName(const std::function<std::string(int counter)>& name_for, int first = 1);

// Takes the first name of the series that `make` can make without replacing anything. A name
// that `make` finds taken (taken after its look-up) makes way for the next one. Empty when a
// look-up fails or `make` fails otherwise.
std::string TakeFirstFreeName(const std::function<std::string(int counter)>& name_for,
                              const std::function<platform::NewFile(const std::string& name)>& make,
                              int first = 1);

// The output container combo of an operation's page (2600, 3100, 4200, 5100, 6600); 0 for others.
int ContainerComboId(int operation);

// Copies `path` to the first free "temp0001<ext>", "temp0002<ext>", … beside it, records the copy
// in temp slot `slot` and replaces `path` by the copy's name. False, with `path` and the slot
// untouched, when the copy could not be made or the run was aborted meanwhile (which stops a long
// copy and removes what it had written). An empty path is left as it is.
bool MakeTempCopy(JobContext& job, std::string& path, int slot);

// Makes FFmpeg's concat list for the concatenate page's file list (3005), in list order, as UTF-8
// without a byte-order mark (what the concat demuxer reads), with a quote in a path written as
// '\''. With `temp_copies`, row n is first copied into slot n and the list names the copies. The
// list is made after the copies, beside the last listed file, as the first free one of input.txt,
// input_1.txt, …, and recorded in job.concat_list. Returns its path; empty, with the status in
// `*failure`, when a copy or the list could not be made (or the run was aborted).
std::string WriteConcatList(JobContext& job, Dialog& page, bool temp_copies, std::string* failure);

// Reads the operation's output container into job.container, then returns the first free
// "<name>_<n>.<container>" beside `input_path`, n from 1; empty when no free name can be told.
// FFmpeg itself makes the file: it never writes over one that appeared meanwhile unless the user
// asked for that with "-y" (without it, it asks, and the tool runner answers no).
std::string MakeOutputPath(JobContext& job, Dialog& page, const std::string& input_path);

// After a run, whatever its verdict: renames an existing output to its final free name beside
// `display_name` (a split gets "<name>_<start>-<end>_1<ext>" first), then removes the temp copies
// of the first `slot_count` slots (slot 0 alone with `single_copy`) and the concat list this run
// made. Files that could not be removed are added to job.left_behind.
void FinishOutputFiles(JobContext& job, const std::string& display_name, const std::string& output_path,
                       int slot_count, bool single_copy);

// After a run that failed or was aborted: removes what FFmpeg left under `output_path`, unless
// FFmpeg's `capture` says that the name was taken before it began (that file is not this run's).
void RemoveUnfinishedOutput(JobContext& job, const std::string& output_path, std::string_view capture);

// Appends `command` and CR LF to log.txt in `folder` (empty: the executable's folder) when the
// settings page's "コマンドログ作成" is checked. A new log starts with the UTF-8 byte-order mark.
// A log that cannot be written is skipped.
void AppendCommandLog(Requests& requests, std::string_view command, std::string_view folder = {});

}  // namespace clipwright
