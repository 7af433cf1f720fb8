#include "support/recording_observer.h"

namespace clipwright::testing {

void RecordingObserver::FileStarted(std::string_view name) {
  std::lock_guard lock(mutex_);
  files_.emplace_back(name);
}

void RecordingObserver::StageReached(const StageEvent& event) {
  std::lock_guard lock(mutex_);
  events_.push_back(event);
}

void RecordingObserver::ToolOutput(std::string_view text) {
  std::lock_guard lock(mutex_);
  outputs_.emplace_back(text);
}

void RecordingObserver::PredictedTime(double seconds) {
  std::lock_guard lock(mutex_);
  predictions_.push_back(seconds);
}

void RecordingObserver::AbortAllowed(bool allowed) {
  std::lock_guard lock(mutex_);
  abort_allowed_.push_back(allowed);
}

void RecordingObserver::ToolMissing(Tool tool, bool) {
  std::lock_guard lock(mutex_);
  missing_tools_.push_back(tool);
}

void RecordingObserver::FileEnded(FileOutcome outcome) {
  std::lock_guard lock(mutex_);
  outcomes_.push_back(outcome);
}

void RecordingObserver::RunEnded(const RunSummary& summary) {
  std::lock_guard lock(mutex_);
  summaries_.push_back(summary);
}

std::vector<std::string> RecordingObserver::files() {
  std::lock_guard lock(mutex_);
  return files_;
}

std::vector<StageEvent> RecordingObserver::events() {
  std::lock_guard lock(mutex_);
  return events_;
}

std::vector<Stage> RecordingObserver::stages() {
  std::lock_guard lock(mutex_);
  std::vector<Stage> stages;
  for (const StageEvent& event : events_) stages.push_back(event.stage);
  return stages;
}

bool RecordingObserver::Reached(Stage stage) {
  for (const Stage reached : stages()) {
    if (reached == stage) return true;
  }
  return false;
}

std::vector<std::string> RecordingObserver::outputs() {
  std::lock_guard lock(mutex_);
  return outputs_;
}

std::vector<double> RecordingObserver::predictions() {
  std::lock_guard lock(mutex_);
  return predictions_;
}

std::vector<bool> RecordingObserver::abort_allowed() {
  std::lock_guard lock(mutex_);
  return abort_allowed_;
}

std::vector<Tool> RecordingObserver::missing_tools() {
  std::lock_guard lock(mutex_);
  return missing_tools_;
}

std::vector<FileOutcome> RecordingObserver::outcomes() {
  std::lock_guard lock(mutex_);
  return outcomes_;
}

std::vector<RunSummary> RecordingObserver::summaries() {
  std::lock_guard lock(mutex_);
  return summaries_;
}

}  // namespace clipwright::testing
