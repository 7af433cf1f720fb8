#include "ui/file_list_ops.h"

#include <cstddef>
#include <string>
#include <utility>

#include "tools/output_scanner.h"

namespace clipwright {
namespace {

bool HoldsFile(const FileList& files, int row) {
  return row >= 0 && static_cast<std::size_t>(row) < files.files.size();
}

// Exchanges files `upper` and `upper + 1`, rows and storage together, and selects the moved one.
int SwapWithNext(Dialog& page, const ListPage& list, FileList& files, int upper, int moved_to) {
  if (HoldsFile(files, upper + 1)) std::swap(files.files[upper], files.files[upper + 1]);
  const int from = moved_to == upper ? upper + 1 : upper;
  const std::string text = page.RowText(list.file_list, from);
  page.DeleteRow(list.file_list, from);
  page.InsertRow(list.file_list, moved_to, text);
  SelectFile(page, list, files, moved_to);
  return 1;
}

}  // namespace

const ListPage* FindListPage(int file_list) {
  for (const ListPage* list : {&kConcatenateList, &kSeparateList, &kConvertList, &kVolumeList}) {
    if (list->file_list == file_list) return list;
  }
  return nullptr;
}

void ShowFileStreams(Dialog& page, const ListPage& list, const FileList& files, int row) {
  page.DeleteAllRows(list.stream_list);
  if (!HoldsFile(files, row)) return;
  const auto& streams = files.files[row].streams;
  for (std::size_t i = 0; i < streams.size(); ++i) {
    const int stream_row = static_cast<int>(i);
    page.InsertRow(list.stream_list, stream_row, streams[i].text);
    if (list.checks == StreamChecks::kFromFlags) page.SetRowChecked(list.stream_list, stream_row, streams[i].selected != 0);
  }
}

void SelectFile(Dialog& page, const ListPage& list, const FileList& files, int row) {
  page.SelectRow(list.file_list, row);
  ShowFileStreams(page, list, files, row);
}

int DeleteSelectedFile(Dialog& page, const ListPage& list, FileList& files) {
  const int count = page.RowCount(list.file_list);
  const int selected = page.SelectedRow(list.file_list);
  if (count == 0 || selected < 0 || selected >= count) return 0;
  if (HoldsFile(files, selected)) files.files.erase(files.files.begin() + selected);
  page.DeleteRow(list.file_list, selected);
  const int left = count - 1;
  if (left == 0) {
    page.DeleteAllRows(list.stream_list);
    page.Enable(list.run_button, false);
    return 1;
  }
  if (list.file_list == IDC_CONCAT_FILES && left == 1) page.Enable(list.run_button, false);
  if (selected < left) {
    SelectFile(page, list, files, selected);
  } else {
    // The last row went and nothing is selected: its streams must not stay on show.
    page.DeleteAllRows(list.stream_list);
  }
  return 1;
}

int MoveFileUp(Dialog& page, const ListPage& list, FileList& files) {
  const int selected = page.SelectedRow(list.file_list);
  if (page.RowCount(list.file_list) < 2 || selected < 1) return 0;
  return SwapWithNext(page, list, files, selected - 1, selected - 1);
}

int MoveFileDown(Dialog& page, const ListPage& list, FileList& files) {
  const int count = page.RowCount(list.file_list);
  const int selected = page.SelectedRow(list.file_list);
  if (count < 2 || selected < 0 || selected >= count - 1) return 0;
  return SwapWithNext(page, list, files, selected, selected + 1);
}

int DeleteAllFiles(Dialog& page, const ListPage& list, FileList& files) {
  page.DeleteAllRows(list.file_list);
  page.DeleteAllRows(list.stream_list);
  page.Enable(list.run_button, false);
  files.files.clear();
  return 1;
}

std::vector<StreamChoice> StreamRows(Dialog& page, int stream_list) {
  std::vector<StreamChoice> streams;
  const int rows = page.RowCount(stream_list);
  for (int row = 0; row < rows; ++row) {
    std::string line = page.RowText(stream_list, row);
    const int number = StreamNumberOf(line).value_or(row);
    streams.push_back(StreamChoice{number, std::move(line), page.RowChecked(stream_list, row)});
  }
  return streams;
}

std::vector<InputFile> ListedFiles(Dialog& page, const ListPage& list, const FileList& files) {
  std::vector<InputFile> listed;
  const int rows = page.RowCount(list.file_list);
  for (int row = 0; row < rows; ++row) {
    InputFile file;
    file.path = page.RowText(list.file_list, row);
    if (HoldsFile(files, row)) {
      const FileEntry& entry = files.files[static_cast<std::size_t>(row)];
      for (std::size_t i = 0; i < entry.streams.size(); ++i) {
        const std::string& line = entry.streams[i].text;
        const int number = StreamNumberOf(line).value_or(static_cast<int>(i));
        file.streams.push_back(StreamChoice{number, line, entry.streams[i].selected != 0});
      }
      file.duration = entry.duration;
      file.stamp = entry.stamp;
    }
    listed.push_back(std::move(file));
  }
  return listed;
}

int RecordStreamCheck(Dialog& page, const ListPage& list, FileList& files, int stream_row) {
  const int file = page.SelectedRow(list.file_list);
  if (!HoldsFile(files, file)) return 0;
  auto& streams = files.files[file].streams;
  if (stream_row < 0 || static_cast<std::size_t>(stream_row) >= streams.size()) return 0;
  streams[stream_row].selected = page.RowChecked(list.stream_list, stream_row) ? 1 : 0;
  return 1;
}

}  // namespace clipwright
