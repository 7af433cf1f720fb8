// An observer that keeps what a run reported, for the tests to look at. Thread-safe: the worker
// reports while a test may look.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "tools/run_observer.h"

namespace clipwright::testing {

class RecordingObserver : public RunObserver {
 public:
  void FileStarted(std::string_view name) override;
  void StageReached(const StageEvent& event) override;
  void ToolOutput(std::string_view text) override;
  void PredictedTime(double seconds) override;
  void AbortAllowed(bool allowed) override;
  void ToolMissing(Tool tool, bool not_a_program) override;
  void FileEnded(FileOutcome outcome) override;
  void RunEnded(const RunSummary& summary) override;

  std::vector<std::string> files();
  std::vector<StageEvent> events();
  std::vector<Stage> stages();
  bool Reached(Stage stage);
  std::vector<std::string> outputs();
  std::vector<double> predictions();
  std::vector<bool> abort_allowed();
  std::vector<Tool> missing_tools();
  std::vector<FileOutcome> outcomes();
  std::vector<RunSummary> summaries();

 private:
  std::mutex mutex_;
  std::vector<std::string> files_;
  std::vector<StageEvent> events_;
  std::vector<std::string> outputs_;
  std::vector<double> predictions_;
  std::vector<bool> abort_allowed_;
  std::vector<Tool> missing_tools_;
  std::vector<FileOutcome> outcomes_;
  std::vector<RunSummary> summaries_;
};

}  // namespace clipwright::testing
