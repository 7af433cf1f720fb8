// File intake on a real page: the open-file dialog, dropped files, the analysis progress dialog
// and the error list opened by the shell.
#pragma once

#include "ui/win32.h"

#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "analysis/file_intake.h"
#include "common/dialog.h"
#include "common/limits.h"
#include "common/requests.h"

namespace clipwright::ui {

// The open-file dialog's buffer: 1024 paths of 260 characters.
inline constexpr int kOpenDialogCapacity = FILE_CAPACITY * PATH_CAPACITY;

class PageIntakeShell : public IntakeShell {
 public:
  // `controls` and `requests` are those of `page`; the analysis worker uses them on its thread.
  PageIntakeShell(HWND page, Dialog& controls, Requests& requests)
      : page_(page), controls_(controls), requests_(requests) {}

  std::optional<std::u16string> ChooseFiles(bool multiple) override;
  void RunAnalysisDialog(AnalysisJob& job) override;
  void OpenErrorList(const std::string& path) override;

 private:
  HWND page_;
  Dialog& controls_;
  Requests& requests_;
};

// The names of a drop, each read at its full length, in drop order; releases the handle.
std::vector<std::string> TakeDroppedNames(HDROP drop);

// What the shell is asked to open for the error list at `path`: the path in double quotes.
std::wstring ErrorListShellFile(const std::string& path);

// Adds files to `target` of `page` (its file list's storage is the page's own): from the
// open-file dialog when `drop` is null, else from the drop, which is released here.
void AddFilesToPage(HWND page, const ProbeTarget& target, HDROP drop);

}  // namespace clipwright::ui
