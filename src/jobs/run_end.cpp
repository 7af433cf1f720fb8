#include "jobs/run_end.h"

#include <string>

#include "common/control_ids.h"
#include "platform/system.h"

namespace clipwright {

void ShowRunSummary(Dialog& progress, int successes, int failures) {
  progress.SetText(IDC_PROGRESS_STATUS, "作成結果\r\n成功： " + std::to_string(successes) + " ファイル\r\n失敗： " +
                                            std::to_string(failures) + " ファイル");
  OfferClose(progress);
}

void ReportLeftBehind(Dialog& progress, const std::vector<std::string>& files) {
  if (files.empty()) return;
  std::string text = "削除出来なかったファイルがあります：";
  for (const std::string& file : files) text += " " + file;
  progress.SetText(IDC_PROGRESS_PROCESS, text);
}

void OfferClose(Dialog& progress) {
  progress.StopTimer();
  progress.Show(IDC_PROGRESS_ABORT, false);
  progress.Show(IDC_PROGRESS_CLOSE, true);
}

void PowerOff(const std::function<bool()>& power_off) {
  if (power_off) {
    power_off();
  } else {
    platform::RequestPowerOff();
  }
}

}  // namespace clipwright
