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

// Adds files to `target` of `page` (its file list's storage is the page's own): from the
// open-file dialog when `drop` is null, else from the drop, which is released here.
void AddFilesToPage(HWND page, const ProbeTarget& target, HDROP drop);

}  // namespace clipwright::ui
