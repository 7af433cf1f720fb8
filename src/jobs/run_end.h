// The end of every run that the user closes (FFmpeg jobs, the split at every keyframe, the volume
// job): the summary, the stopped timer, the close button in place of the abort button, and the
// shut-down the page may ask for.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/dialog.h"

namespace clipwright {

// Writes "作成結果\r\n成功： n ファイル\r\n失敗： m ファイル" into the progress line, stops the
// elapsed-time timer, hides 中断 and shows 閉じる.
void ShowRunSummary(Dialog& progress, int successes, int failures);

// Names in the process line (9501) the files of the run that could not be removed (a virus
// scanner holding them, say), so that the user can remove them; nothing when there are none.
void ReportLeftBehind(Dialog& progress, const std::vector<std::string>& files);

// Hides 中断 and shows 閉じる after the timer has stopped; for a run that ends without a summary.
void OfferClose(Dialog& progress);

// Asks for the shut-down through `power_off` (tests), or the system's own request when it is
// empty.
void PowerOff(const std::function<bool()>& power_off);

}  // namespace clipwright
