// An observer that keeps what a run reports and tells it later: a tool run on a helper thread
// reports here, and the thread that owns the window's observer passes it on once the run's turn
// has come, so that the user sees the same texts in the same order as if it had run then.
#pragma once

#include <functional>
#include <vector>

#include "tools/run_observer.h"

namespace clipwright {

class DeferredObserver final : public RunObserver {
 public:
  void FileStarted(std::string_view name) override;
  void StageReached(const StageEvent& event) override;
  void ToolOutput(std::string_view text) override;
  void PredictedTime(double seconds) override;
  void AbortAllowed(bool allowed) override;
  void ToolMissing(Tool tool, bool not_a_program) override;
  void FileEnded(FileOutcome outcome) override;
  void RunEnded(const RunSummary& summary) override;

  // Tells `observer` everything kept, in the order it came, and forgets it.
  void Replay(RunObserver& observer);

 private:
  std::vector<std::function<void(RunObserver&)>> calls_;
};

}  // namespace clipwright
