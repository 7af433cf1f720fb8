// The split page (分割): one file cut to a range, or at every keyframe.
#pragma once

#include "ui/win32.h"

namespace clipwright::ui {

// Sent by the analysis worker to the split page when its file has been probed and scanned.
inline constexpr UINT MSG_SPLIT_ANALYSED = 0x812D;
// Posted by the thread that makes the keyframe pictures when the one the page wants is ready.
inline constexpr UINT MSG_SPLIT_PICTURE_READY = WM_APP + 0x302;

INT_PTR CALLBACK SplitPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace clipwright::ui
