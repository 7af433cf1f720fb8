#include "jobs/output_files.h"

#include "common/control_ids.h"
#include "common/limits.h"
#include "jobs/number_text.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace clipwright {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string Folder(const platform::PathParts& parts) { return parts.drive + parts.directory; }

std::string& Slot(JobContext& job, int slot) {
  if (static_cast<int>(job.temp_slots.size()) <= slot) job.temp_slots.resize(static_cast<std::size_t>(slot) + 1);
  return job.temp_slots[static_cast<std::size_t>(slot)];
}

// A path as the concat demuxer reads it inside single quotes: a quote closes the quoted text,
// an escaped quote follows, and a new quoted text begins.
std::string QuotedForConcat(const std::string& path) {
  std::string quoted = "'";
  for (const char c : path) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace

bool IsFreeName(const std::string& path) { return !platform::PathExists(path); }

int ContainerComboId(int operation) {
  switch (operation) {
    case OP_SPLIT:
      return IDC_SPLIT_CONTAINER;
    case OP_CONCATENATE:
      return IDC_CONCAT_CONTAINER;
    case OP_MULTIPLEX:
      return IDC_MUX_CONTAINER;
    case OP_SEPARATE:
      return IDC_SEPARATE_CONTAINER;
    case OP_CONVERT:
      return IDC_CONVERT_CONTAINER;
    default:
      return 0;
  }
}

void MakeTempCopy(JobContext& job, std::string& path, int slot) {
  if (path.empty() || slot < 0 || slot >= FILE_CAPACITY) return;
  const platform::PathParts parts = platform::SplitPath(path);
  std::string temp;
  for (int counter = 1;; ++counter) {
    temp = Folder(parts) + "temp" + FixedText(counter, 0, 4) + parts.extension;
    if (IsFreeName(temp)) break;
  }
  Slot(job, slot) = platform::CopyFileNoOverwrite(path, temp) ? temp : std::string();
  path = temp;
}

std::string ConcatListPath(const std::string& last_file) {
  const std::string folder = Folder(platform::SplitPath(last_file));
  std::string list = folder + "input.txt";
  for (int counter = 1; !IsFreeName(list); ++counter) list = folder + "input_" + std::to_string(counter) + ".txt";
  return list;
}

void WriteConcatList(JobContext& job, Dialog& page, const std::string& list_path, bool temp_copies) {
  std::string text;
  const int rows = page.RowCount(IDC_CONCAT_FILES);
  for (int row = 0; row < rows; ++row) {
    std::string path = page.RowText(IDC_CONCAT_FILES, row);
    if (temp_copies) MakeTempCopy(job, path, row);
    text += "file " + QuotedForConcat(path) + "\r\n";
  }
  platform::WriteWholeFile(list_path, text);
}

std::string MakeOutputPath(JobContext& job, Dialog& page, const std::string& input_path) {
  job.container = page.ComboText(ContainerComboId(job.operation));
  const platform::PathParts parts = platform::SplitPath(input_path);
  for (int counter = 1;; ++counter) {
    std::string output = Folder(parts) + parts.name + "_" + std::to_string(counter) + "." + job.container;
    if (IsFreeName(output)) return output;
  }
}

void FinishOutputFiles(JobContext& job, const std::string& display_name, const std::string& input_path,
                       const std::string& output_path, int slot_count, bool single_copy) {
  const platform::PathParts display = platform::SplitPath(display_name);
  const std::string extension = platform::SplitPath(output_path).extension;
  const std::string stem = Folder(display) + display.name + "_";
  // A split names its range first; every further choice, and every other operation, counts.
  std::string final_name = job.operation == OP_SPLIT ? stem + FixedText(job.start_time, 3, 9) + "-" +
                                                           FixedText(job.end_time, 3, 9) + "_1" + extension
                                                     : stem + "1" + extension;
  for (int counter = 2; !IsFreeName(final_name); ++counter) final_name = stem + std::to_string(counter) + extension;
  if (!output_path.empty() && platform::PathExists(output_path)) platform::RenameFile(output_path, final_name);

  if (single_copy) slot_count = 1;
  for (int slot = 0; slot < slot_count && slot < static_cast<int>(job.temp_slots.size()); ++slot) {
    std::string& temp = job.temp_slots[static_cast<std::size_t>(slot)];
    if (!temp.empty() && platform::PathExists(temp)) platform::DeleteFileForced(temp);
    temp.clear();
  }
  if (!single_copy && job.operation == OP_CONCATENATE && !input_path.empty()) {
    platform::DeleteFileForced(input_path);
  }
}

void AppendCommandLog(Requests& requests, std::string_view command, std::string_view folder) {
  Dialog* settings = requests.Page(PAGE_SETTINGS);
  if (settings == nullptr || !settings->IsChecked(IDC_COMMAND_LOG)) return;
  const std::string path = (folder.empty() ? platform::ProgramFolder() : std::string(folder)) + "log.txt";
  const auto size = platform::FileSize(path);
  std::string bytes = (!size || *size == 0) ? std::string(kByteOrderMark) : std::string();
  bytes += command;
  bytes += "\r\n";
  platform::AppendToFile(path, bytes);
}

}  // namespace clipwright
