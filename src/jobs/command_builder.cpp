#include "jobs/command_builder.h"

#include "common/control_ids.h"
#include "common/limits.h"
#include "jobs/convert_options.h"
#include "jobs/number_text.h"
#include "jobs/output_files.h"
#include "jobs/split_job.h"
#include "platform/text.h"

namespace clipwright {
namespace {

struct GeneralOption {
  int box;
  bool has_value;  // a value list with the id box + 1
};

// In the order the arguments are written. Entries 14 to 17 apply to every operation, the rest
// only to a convert.
constexpr GeneralOption kGeneralOptions[] = {
    {IDC_OPT_Y, false},           {IDC_OPT_N, false},
    {IDC_OPT_THREADS, true},      {IDC_OPT_STRICT, true},
    {IDC_OPT_DEADLINE, true},     {IDC_OPT_CPU_USED, true},
    {IDC_OPT_ROW_MT, false},      {IDC_OPT_LOOK_AHEAD, false},
    {IDC_OPT_LOOK_AHEAD_DEPTH, true}, {IDC_OPT_BV0, false},
    {IDC_OPT_TRANSPOSE, true},    {IDC_OPT_FASTSTART, false},
    {IDC_OPT_LOOP_GLOBAL_HEADER, false}, {IDC_OPT_ANNEXB, false},
    {IDC_OPT_SEGMENT_MPEGTS, false}, {IDC_OPT_MAP_CHAPTERS, true},
    {IDC_OPT_MAP_METADATA, true}, {IDC_OPT_BITEXACT, false},
};
constexpr int kCopyOperationsFirstEntry = 14;
static_assert(kGeneralOptions[kMetadataOptionsFirstEntry].box == IDC_OPT_MAP_CHAPTERS);

std::string InputPiece(const std::string& path) { return " -i \"" + path + "\""; }

// Takes `path` as an input of the command: copied first when asked, then written as an input.
bool TakeInput(JobContext& job, std::string path, bool temp_copies, int slot, JobFiles* files, std::string& command) {
  files->display_name = path;
  if (temp_copies && !MakeTempCopy(job, path, slot)) {
    files->failure = std::string(kTempCopyFailed) + files->display_name;
    return false;
  }
  files->input_path = path;
  if (!path.empty()) command += InputPiece(path);
  return true;
}

bool AnyRowChecked(Dialog& page, int list_id) {
  const int rows = page.RowCount(list_id);
  for (int row = 0; row < rows; ++row) {
    if (page.RowChecked(list_id, row)) return true;
  }
  return false;
}

bool AppendInputs(JobContext& job, Dialog& page, int file_index, bool temp_copies, JobFiles* files,
                  std::string& command) {
  switch (job.operation) {
    case OP_SPLIT:
      return TakeInput(job, page.Text(IDC_SPLIT_PATH), temp_copies, 0, files, command);
    case OP_CONCATENATE: {
      const int rows = page.RowCount(IDC_CONCAT_FILES);
      if (rows <= 0) return true;
      files->display_name = page.RowText(IDC_CONCAT_FILES, rows - 1);
      files->input_path = WriteConcatList(job, page, temp_copies, &files->failure);
      if (files->input_path.empty()) return false;
      command += InputPiece(files->input_path);
      return true;
    }
    case OP_MULTIPLEX:
      // An input without a checked stream takes no part; the last one taken names the output.
      if (AnyRowChecked(page, IDC_MUX_STREAMS1) &&
          !TakeInput(job, page.Text(IDC_MUX_PATH1), temp_copies, 0, files, command)) {
        return false;
      }
      return !AnyRowChecked(page, IDC_MUX_STREAMS2) ||
             TakeInput(job, page.Text(IDC_MUX_PATH2), temp_copies, 1, files, command);
    case OP_SEPARATE:
      return TakeInput(job, page.RowText(IDC_SEPARATE_FILES, file_index), temp_copies, 0, files, command);
    case OP_CONVERT:
      return TakeInput(job, page.RowText(IDC_CONVERT_FILES, file_index), temp_copies, 0, files, command);
    default:
      return true;
  }
}

}  // namespace

int CommandCounter(std::string_view command) { return static_cast<int>(platform::Utf16Length(command)) + 2; }

std::string CommandTooLongText(int counter, std::string_view line_break) {
  return "コマンドラインが長くなり過ぎです。 [ " + std::to_string(counter) + " byte ]" + std::string(line_break) +
         "ファイル名を短くして下さい。";
}

std::string GetOptionText(Dialog& settings, int box, bool has_value) {
  if (!settings.IsChecked(box)) return {};
  std::string text = settings.Text(box);
  if (has_value) {
    text += box == IDC_OPT_TRANSPOSE ? "=" : " ";
    text += settings.ComboText(box + 1);
  }
  return text;
}

void AppendGeneralOptions(std::string& text, Requests& requests, int first_entry) {
  Dialog* settings = requests.Page(PAGE_SETTINGS);
  if (settings == nullptr) return;
  constexpr int kEntries = static_cast<int>(sizeof kGeneralOptions / sizeof kGeneralOptions[0]);
  for (int entry = first_entry < 0 ? 0 : first_entry; entry < kEntries; ++entry) {
    const std::string option = GetOptionText(*settings, kGeneralOptions[entry].box, kGeneralOptions[entry].has_value);
    if (!option.empty()) text += " " + option;
  }
}

bool BuildJobCommand(JobContext& job, Dialog& page, Dialog& progress, Requests& requests, std::string_view ffmpeg,
                     int file_index, bool temp_copies, JobFiles* files) {
  *files = JobFiles{};
  std::string command = "\"";
  command += ffmpeg;
  command += '"';

  // Without a cut of its own, a split reads the range it shows.
  const SplitCut cut =
      job.cut.value_or(SplitCut{job.start_time, job.end_time, job.start_time, job.end_time - job.start_time});
  if (job.operation == OP_SPLIT) command += SeekPiece(cut);
  if (job.operation == OP_CONCATENATE) command += " -f concat -safe 0";

  // The copies can take minutes; the user sees why, and may abort them.
  if (temp_copies) progress.SetText(IDC_PROGRESS_PROCESS, "一時ファイルを作成中です．．．");
  if (!AppendInputs(job, page, file_index, temp_copies, files, command) || job.abort.load() != 0) return false;

  if (job.operation == OP_SPLIT) command += TimePiece(cut);

  AppendStreamArguments(job, page, job.operation == OP_MULTIPLEX ? 2 : 1, file_index, command);
  command += job.operation == OP_CONVERT ? SpeedFilterArgument(page) : std::string(" -c copy");
  AppendGeneralOptions(command, requests, job.operation == OP_CONVERT ? 0 : kCopyOperationsFirstEntry);

  files->output_path = MakeOutputPath(job, page, files->input_path);
  if (files->output_path.empty()) {
    files->failure = std::string(kOutputNameFailed) + files->display_name;
    return false;
  }
  command += " \"" + files->output_path + "\"";

  // Logged before the length test, so that a refused command can be looked at.
  AppendCommandLog(requests, command, job.program_folder);

  const int counter = CommandCounter(command);
  if (counter > COMMAND_LIMIT) {
    progress.MessageBox(command, CommandTooLongText(counter), kMessageOk);
    return false;
  }
  files->command = std::move(command);
  return true;
}

}  // namespace clipwright
