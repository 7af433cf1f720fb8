#include "tools/deferred_observer.h"

#include <string>

namespace clipwright {

void DeferredObserver::FileStarted(std::string_view name) {
  calls_.push_back([name = std::string(name)](RunObserver& o) { o.FileStarted(name); });
}

void DeferredObserver::StageReached(const StageEvent& event) {
  calls_.push_back([event](RunObserver& o) { o.StageReached(event); });
}

void DeferredObserver::ToolOutput(std::string_view text) {
  calls_.push_back([text = std::string(text)](RunObserver& o) { o.ToolOutput(text); });
}

void DeferredObserver::PredictedTime(double seconds) {
  calls_.push_back([seconds](RunObserver& o) { o.PredictedTime(seconds); });
}

void DeferredObserver::AbortAllowed(bool allowed) {
  calls_.push_back([allowed](RunObserver& o) { o.AbortAllowed(allowed); });
}

void DeferredObserver::ToolMissing(Tool tool, bool not_a_program) {
  calls_.push_back([tool, not_a_program](RunObserver& o) { o.ToolMissing(tool, not_a_program); });
}

void DeferredObserver::FileEnded(FileOutcome outcome) {
  calls_.push_back([outcome](RunObserver& o) { o.FileEnded(outcome); });
}

void DeferredObserver::RunEnded(const RunSummary& summary) {
  calls_.push_back([summary](RunObserver& o) { o.RunEnded(summary); });
}

void DeferredObserver::Replay(RunObserver& observer) {
  for (const auto& call : calls_) call(observer);
  calls_.clear();
}

}  // namespace clipwright
