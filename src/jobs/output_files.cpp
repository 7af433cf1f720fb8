#include "jobs/output_files.h"

#include <optional>

#include "common/control_ids.h"
#include "common/limits.h"
#include "jobs/number_text.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace clipwright {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Names tried in one series before the search gives up: a folder where this many are taken is
// not one to go on counting in.
constexpr int kNamesPerSeries = 100000;

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

// Removes a file this run made; one that stays (held open by another program) is noted.
void RemoveOwnFile(JobContext& job, const std::string& path) {
  if (path.empty() || platform::DeleteFileForced(path)) return;
  if (platform::LookUpName(path) != platform::NameState::kFree) job.left_behind.push_back(path);
}

// The counter of the first free name from `from` on, below `limit`; none when a look-up fails.
std::optional<int> FirstFreeCounter(const std::function<std::string(int)>& name_for, int from, int limit) {
  for (int counter = from; counter < limit; ++counter) {
    switch (platform::LookUpName(name_for(counter))) {
      case platform::NameState::kFree:
        return counter;
      case platform::NameState::kTaken:
        break;
      case platform::NameState::kUnknown:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace

std::string FirstFreeName(const std::function<std::string(int counter)>& name_for, int first) {
  const std::optional<int> counter = FirstFreeCounter(name_for, first, first + kNamesPerSeries);
  return counter ? name_for(*counter) : std::string();
}

std::string TakeFirstFreeName(const std::function<std::string(int counter)>& name_for,
                              const std::function<platform::NewFile(const std::string& name)>& make, int first) {
  const int limit = first + kNamesPerSeries;
  for (std::optional<int> counter = FirstFreeCounter(name_for, first, limit); counter;
       counter = FirstFreeCounter(name_for, *counter + 1, limit)) {
    std::string name = name_for(*counter);
    switch (make(name)) {
      case platform::NewFile::kMade:
        return name;
      case platform::NewFile::kExists:
        break;  // taken since the look-up
      case platform::NewFile::kFailed:
        return {};
    }
  }
  return {};
}

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

bool MakeTempCopy(JobContext& job, std::string& path, int slot) {
  if (path.empty()) return true;  // nothing to copy
  if (slot < 0 || slot >= FILE_CAPACITY) return false;
  const platform::PathParts parts = platform::SplitPath(path);
  const std::string temp = TakeFirstFreeName(
      [&](int counter) { return Folder(parts) + "temp" + FixedText(counter, 0, 4) + parts.extension; },
      [&](const std::string& name) { return platform::CopyToNewFile(path, name, &job.abort); });
  if (temp.empty()) return false;
  Slot(job, slot) = temp;
  path = temp;
  return true;
}

std::string WriteConcatList(JobContext& job, Dialog& page, bool temp_copies, std::string* failure) {
  std::string text;
  std::string last;
  const int rows = page.RowCount(IDC_CONCAT_FILES);
  for (int row = 0; row < rows; ++row) {
    last = page.RowText(IDC_CONCAT_FILES, row);
    std::string path = last;
    if (temp_copies && !MakeTempCopy(job, path, row)) {
      *failure = std::string(kTempCopyFailed) + last;
      return {};
    }
    text += "file " + QuotedForConcat(path) + "\r\n";
  }
  // Only now, after copies that can take minutes, is the name chosen, and taken at once.
  const std::string folder = Folder(platform::SplitPath(last));
  job.concat_list = TakeFirstFreeName(
      [&](int counter) { return folder + (counter == 0 ? "input.txt" : "input_" + std::to_string(counter) + ".txt"); },
      [&](const std::string& name) { return platform::CreateNewFile(name, text); }, 0);
  if (job.concat_list.empty()) *failure = std::string(kConcatListFailed) + folder + "input.txt";
  return job.concat_list;
}

std::string MakeOutputPath(JobContext& job, Dialog& page, const std::string& input_path) {
  job.container = page.ComboText(ContainerComboId(job.operation));
  const platform::PathParts parts = platform::SplitPath(input_path);
  return FirstFreeName(
      [&](int counter) { return Folder(parts) + parts.name + "_" + std::to_string(counter) + "." + job.container; });
}

void FinishOutputFiles(JobContext& job, const std::string& display_name, const std::string& output_path,
                       int slot_count, bool single_copy) {
  if (!output_path.empty() && platform::LookUpName(output_path) == platform::NameState::kTaken) {
    const platform::PathParts display = platform::SplitPath(display_name);
    const std::string extension = platform::SplitPath(output_path).extension;
    const std::string stem = Folder(display) + display.name + "_";
    // A split names its range first; every further choice, and every other operation, counts.
    const auto name_for = [&](int counter) {
      if (counter == 1 && job.operation == OP_SPLIT) {
        return stem + FixedText(job.start_time, 3, 9) + "-" + FixedText(job.end_time, 3, 9) + "_1" + extension;
      }
      return stem + std::to_string(counter) + extension;
    };
    // A final name that cannot be had leaves the output under the free name it was written to.
    TakeFirstFreeName(name_for, [&](const std::string& name) { return platform::RenameToNewName(output_path, name); });
  }

  if (single_copy) slot_count = 1;
  for (int slot = 0; slot < slot_count && slot < static_cast<int>(job.temp_slots.size()); ++slot) {
    std::string& temp = job.temp_slots[static_cast<std::size_t>(slot)];
    RemoveOwnFile(job, temp);
    temp.clear();
  }
  RemoveOwnFile(job, job.concat_list);
  job.concat_list.clear();
}

void RemoveUnfinishedOutput(JobContext& job, const std::string& output_path, std::string_view capture) {
  if (output_path.empty() || platform::LookUpName(output_path) != platform::NameState::kTaken) return;
  // FFmpeg names a file it found in its way, whether it then asked (and was told no) or gave up.
  if (capture.find("File '" + output_path + "' already exists") != std::string_view::npos) return;
  RemoveOwnFile(job, output_path);
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
