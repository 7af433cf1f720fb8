// File intake on a real page: the open-file dialog, dropped files, the analysis progress dialog
// and the error list opened by the shell.
#pragma once

#include "ui/win32.h"

#include <shellapi.h>

#include "ui/file_list_ops.h"

namespace clipwright::ui {

// Adds files to `target` of `page` (its file list's storage is the page's own): from the
// open-file dialog when `drop` is null, else from the drop, which is released here.
void AddFilesToPage(HWND page, const ProbeTarget& target, HDROP drop);

}  // namespace clipwright::ui
