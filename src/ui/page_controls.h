// What the seven pages share: their state record and the set-up of their lists and combos.
#pragma once

#include "ui/win32.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "analysis/stream_model.h"
#include "jobs/run_requests.h"
#include "ui/file_list_ops.h"
#include "platform/files.h"

namespace clipwright::ui {

// One record per page, for the program's whole run. The first field is the page window; the
// list pages keep their files, the split page its frame data. Both grow with use.
struct PageState {
  HWND window = nullptr;
  FileList files;
  SplitPageState split;
  // The file each path control of a single-file page shows, as it was when it was opened.
  std::map<int, std::optional<platform::FileStamp>> opened;
  // How the page has the shell open a file (the error list); replaceable for tests, so that no
  // viewer opens. Empty: ShellExecuteW.
  std::function<void(HWND owner, const wchar_t* verb, const wchar_t* file, int show)> shell_execute;
};

// Sent to a page when files are dropped on one of its lists: wParam the drop handle (the page
// releases it), lParam the list's id.
inline constexpr UINT MSG_FILES_DROPPED = WM_APP + 0x301;

// Posted by a page to itself after a click on a stream's check box, so that it is handled once
// the list view has toggled the box: wParam 0, lParam the stream row.
inline constexpr UINT MSG_STREAM_CHECK_CHANGED = 0x8067;

inline constexpr DWORD kFileListStyle = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;
inline constexpr DWORD kStreamListStyle = kFileListStyle | LVS_EX_CHECKBOXES;
inline constexpr int kListColumnWidth = 752;

// Stores the page's record (the creation parameter) as the page window's user data.
void KeepPageState(HWND page, LPARAM state);
PageState* PageStateOf(HWND page);

// The default GUI font, the extended styles and one left-aligned column.
void SetUpList(HWND list, DWORD extended_style);
// A list that takes dropped files: brought to the top of the page's z-order, subclassed, and set
// up by the dialog-initialisation message the page sends it. Drops reach the page as
// MSG_FILES_DROPPED.
void InstallDropList(HWND page, int list_id, UINT_PTR subclass_id, DWORD extended_style);

void FillCombo(HWND page, int combo_id, const std::vector<std::string>& items, int selected);
// The fourteen output containers, "mp4" selected.
void FillContainerCombo(HWND page, int combo_id);

// The file a single-file target of the page shows, as a run takes it: its path, its stream
// rows, and how it was when it was opened.
InputFile OpenedFile(HWND page, const ProbeTarget& target);

// Releases a drop handle of MSG_FILES_DROPPED that the page does not use yet.
void ReleaseDrop(WPARAM drop);

}  // namespace clipwright::ui
