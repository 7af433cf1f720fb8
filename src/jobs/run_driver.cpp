#include "jobs/run_driver.h"

#include <algorithm>
#include <future>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "jobs/output_files.h"
#include "jobs/tag_header.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "tools/deferred_observer.h"
#include "tools/encoder_log.h"
#include "tools/number_text.h"
#include "tools/output_scanner.h"

namespace clipwright {
namespace {

// A path as the concat demuxer reads it inside single quotes: a quote closes the quoted text,
// an escaped quote follows, and a new quoted text begins.
std::string QuotedForConcat(const std::string& path) {
  std::string quoted = "'";
  for (const char c : path) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

// A step that started before its turn, and what it has reported so far.
struct EarlyRun {
  std::unique_ptr<DeferredObserver> observer;
  std::unique_ptr<AnalysisResult> result;
  std::future<int> verdict;
};

// One file of the run, from its first copy to its final name. Every file it makes is its own
// and goes again, unless it is the output that passed.
class FileRun {
 public:
  FileRun(const FilePlan& plan, const RunSettings& settings, RunObserver& observer, const std::atomic<int>& abort,
          const RunHooks& hooks, std::vector<std::string>& left_behind)
      : plan_(plan), settings_(settings), observer_(observer), abort_(abort), hooks_(hooks),
        left_behind_(left_behind), expected_(plan.expected) {}

  ~FileRun() {
    WaitForEarlySteps();
    if (check_.valid()) {
      check_abort_ = 1;
      check_.wait();
    }
  }

  // The file's steps, up to an output that waits for its check. A file that fails here has
  // already removed what it made.
  FileOutcome Make() {
    observer_.FileStarted(plan_.display_name);
    if (plan_.refused) {
      observer_.StageReached(*plan_.refused);
      return FileOutcome::kRefused;
    }
    const FileOutcome outcome = MakeOutput();
    WaitForEarlySteps();
    // The copies and the list have served: only the output is still needed, and the parts
    // that a frame cut's check compares it with.
    CleanUp(outcome == FileOutcome::kSucceeded, outcome == FileOutcome::kSucceeded && expected_.frames);
    if (abort_allowed_ == false && abort_.load() == 0) observer_.AbortAllowed(true);
    return outcome;
  }

  // Starts reading the output back on a thread of its own, while the run goes on with the next
  // file: a run of many small outputs would otherwise wait for a second tool after each one.
  void StartCheck() {
    check_ = std::async(std::launch::async, [this] { return Check(check_abort_); });
  }

  // The output is read back, and only then takes its final name. 中断 pressed while it is read
  // stops the check, and the output goes; a check started before, while the next file was made,
  // belongs to a file that was finished before 中断 and is waited for (it reads one small piece, or
  // decodes an output AACGain changed once, as long as AACGain itself took to read it).
  FileOutcome Finish() {
    const CheckResult check = check_.valid() ? check_.get() : Check(abort_);
    const FileOutcome outcome = Judge(check);
    CleanUp(outcome == FileOutcome::kSucceeded);
    return outcome;
  }

 private:
  bool Aborted() const { return abort_.load() != 0; }

  CheckResult Check(const std::atomic<int>& abort) const {
    return hooks_.check_output ? hooks_.check_output(settings_.ffmpeg, output_, expected_, abort)
                               : CheckOutput(settings_.ffmpeg, output_, expected_, abort);
  }

  FileOutcome MakeOutput() {
    if (Aborted()) return FileOutcome::kAborted;
    if (!SourcesUnchanged()) return FileOutcome::kRefused;
    read_inputs_ = plan_.inputs;
    if (plan_.temp_copies && !CopyInputs()) return Aborted() ? FileOutcome::kAborted : FileOutcome::kRefused;
    if (!TakePartNames()) return Aborted() ? FileOutcome::kAborted : FileOutcome::kRefused;
    if (plan_.concat_list && !WriteConcatList()) return FileOutcome::kRefused;
    if (!TakeOutputName()) return Aborted() ? FileOutcome::kAborted : FileOutcome::kRefused;
    for (std::size_t i = 0; i < plan_.steps.size(); ++i) {
      if (!plan_.steps[i].starts_early) continue;
      const std::optional<CommandLine> command = StepCommand(plan_.steps[i]);
      if (!command) return FileOutcome::kRefused;
      if (Aborted()) return FileOutcome::kAborted;
      EarlyRun& run = early_[i];
      run.observer = std::make_unique<DeferredObserver>();
      run.result = std::make_unique<AnalysisResult>();
      run.verdict = std::async(std::launch::async, [this, &step = plan_.steps[i], &run, command = *command] {
        return RunStepTool(*run.result, *run.observer, step, command, nullptr);
      });
    }
    for (std::size_t i = 0; i < plan_.steps.size(); ++i) {
      const FileOutcome outcome = RunStep(i);
      if (outcome != FileOutcome::kSucceeded) return outcome;
    }
    return FileOutcome::kSucceeded;
  }

  FileOutcome Judge(const CheckResult& check) {
    if (check.aborted) return FileOutcome::kAborted;
    if (!check.passed()) {
      observer_.StageReached(StageEvent{Stage::kCheckFailed, output_, static_cast<std::int64_t>(check.failure),
                                        check.first, check.second});
      return FileOutcome::kRefused;
    }
    if (!TakeFinalName()) {
      observer_.Report(Stage::kRenameFailed);
      return FileOutcome::kRefused;
    }
    return FileOutcome::kSucceeded;
  }

  // Every input that was stamped when it was added is still that file.
  bool SourcesUnchanged() {
    for (std::size_t i = 0; i < plan_.stamps.size() && i < plan_.inputs.size(); ++i) {
      if (!plan_.stamps[i] || platform::StampOf(plan_.inputs[i]) == plan_.stamps[i]) continue;
      observer_.Report(Stage::kSourceChanged, plan_.inputs[i]);
      return false;
    }
    return true;
  }

  bool CopyInputs() {
    observer_.Report(Stage::kMakingTempCopies);
    for (std::string& input : read_inputs_) {
      if (input.empty()) continue;
      const std::string listed = input;
      const std::string extension = platform::SplitPath(listed).extension;
      const std::string copy =
          TakeFirstFreeName([&](int n) { return TempName(listed, n, extension); },
                            [&](const std::string& name) { return platform::CopyToNewFile(listed, name, &abort_); });
      if (copy.empty()) {
        // An abort stops a long copy, which then leaves nothing.
        if (!Aborted()) observer_.Report(Stage::kTempCopyFailed, listed);
        return false;
      }
      own_.push_back(copy);
      input = copy;
    }
    return true;
  }

  // The parts are the run's own files, named like its output's first name.
  bool TakePartNames() {
    for (const FilePlan::Part& planned : plan_.parts) {
      const std::string& extension = planned.extension.empty() ? plan_.output.extension : planned.extension;
      const std::string part = TakeFirstFreeName([&](int n) { return TempName(plan_.inputs.front(), n, extension); },
                                                 [](const std::string& name) { return platform::CreateNewFile(name); });
      if (part.empty()) {
        if (!Aborted()) observer_.Report(plan_.output.failed, plan_.display_name);
        return false;
      }
      own_.push_back(part);
      parts_.push_back(part);
    }
    return true;
  }

  // The list is written after the copies, which can take minutes, and its name is taken then.
  bool WriteConcatList() {
    std::string text;
    for (const std::string& input : read_inputs_) {
      if (plan_.parts.empty()) text += "file " + QuotedForConcat(input) + "\r\n";
    }
    // Each joined part but the last says how long it plays: the copied GOPs' B-frame delay would
    // otherwise move the next part's start.
    std::vector<std::size_t> joined;
    for (std::size_t i = 0; i < parts_.size(); ++i) {
      if (plan_.parts[i].joined) joined.push_back(i);
    }
    for (const std::size_t i : joined) {
      text += "file " + QuotedForConcat(parts_[i]) + "\r\n";
      if (i != joined.back()) text += "duration " + FixedText(plan_.parts[i].length, 6) + "\r\n";
    }
    const std::string folder = plan_.inputs.empty() ? std::string() : FolderOf(plan_.inputs.back());
    concat_list_ = TakeFirstFreeName(
        [&](int n) { return folder + (n == 0 ? std::string("input.txt") : "input_" + std::to_string(n) + ".txt"); },
        [&](const std::string& name) { return platform::CreateNewFile(name, text); }, 0);
    if (concat_list_.empty()) {
      observer_.Report(Stage::kConcatListFailed, folder + "input.txt");
      return false;
    }
    own_.push_back(concat_list_);
    return true;
  }

  bool TakeOutputName() {
    const OutputStart& start = plan_.output;
    if (start.copying) observer_.Report(*start.copying);
    std::string beside;
    if (start.beside == OutputStart::Beside::kFirstInput) {
      beside = plan_.inputs.empty() ? std::string() : plan_.inputs.front();
    } else {
      beside = !concat_list_.empty() ? concat_list_ : (read_inputs_.empty() ? std::string() : read_inputs_.back());
    }
    const auto name_for = [&](int n) { return start.NameFor(beside, n); };
    if (start.copy_of_input) {
      const std::string source = plan_.inputs.empty() ? std::string() : plan_.inputs.front();
      output_ = TakeFirstFreeName(name_for, [&](const std::string& name) {
        return platform::CopyToNewFile(source, name, &abort_);
      });
      // The copy carries the source's attributes, read-only too; it is the run's own, and the
      // tools change it in place.
      if (!output_.empty()) platform::ClearReadOnly(output_);
    } else {
      output_ = TakeFirstFreeName(name_for, [](const std::string& name) { return platform::CreateNewFile(name); });
    }
    if (output_.empty()) {
      if (!Aborted()) observer_.Report(start.failed, plan_.display_name);
      return false;
    }
    if (start.made) observer_.Report(*start.made);
    return true;
  }

  // A step's command with this run's names, logged; none when it is too long (which is told).
  std::optional<CommandLine> StepCommand(const FileStep& step, const std::string& new_output = {}) {
    const PlannedCommand& planned = step.command;
    CommandNames names;
    names.program = planned.tool() == Tool::kFfmpeg ? settings_.ffmpeg : settings_.aacgain;
    names.inputs = read_inputs_;
    names.concat_list = concat_list_;
    names.output = output_;
    names.gain = gain_;
    names.parts = parts_;
    names.new_output = new_output;
    const CommandLine command = ResolveCommand(planned, names);
    // Logged before the length test, so that a refused command can be looked at.
    if (step.logged && settings_.command_log) AppendCommandLog(settings_.log_folder, command.Text());
    if (!command.FitsLimit()) {
      observer_.StageReached(StageEvent{Stage::kCommandRefused, command.Text(), command.LengthCount()});
      return std::nullopt;
    }
    return command;
  }

  int RunStepTool(AnalysisResult& result, RunObserver& observer, const FileStep& step, const CommandLine& command,
                  int* gain_output) const {
    const std::string folder = step.in_output_folder ? FolderOf(output_) : std::string();
    return hooks_.run_tool
               ? hooks_.run_tool(result, observer, abort_, command, step.mode, gain_output, step.duration, folder)
               : ScanOutput(result, observer, abort_, command.Text(), step.mode, gain_output, step.duration, folder);
  }

  void WaitForEarlySteps() {
    for (auto& [index, run] : early_) {
      if (run.verdict.valid()) run.verdict.wait();
    }
  }

  FileOutcome RunStep(std::size_t index) {
    const FileStep& step = plan_.steps[index];
    if (step.kind == FileStep::Kind::kStripTags) return StripTags(step);
    if (const auto early = early_.find(index); early != early_.end()) return TakeEarlyStep(index, early->second);

    const PlannedCommand& planned = step.command;
    std::string new_output;
    if (planned.Takes(CommandPiece::Kind::kNewOutput)) {
      const std::string extension = platform::SplitPath(output_).extension;
      new_output = TakeFirstFreeName([&](int n) { return NumberedName(output_, n, extension); },
                                     [](const std::string& name) { return platform::CreateNewFile(name); });
      if (new_output.empty()) return StepFailed(step);
      own_.push_back(new_output);
    }
    const std::optional<CommandLine> command = StepCommand(step, new_output);
    if (!command) return FileOutcome::kRefused;
    // A step that has not started when 中断 was pressed is not started.
    if (Aborted()) return FileOutcome::kAborted;

    const bool aacgain = step.mode >= SCAN_GAIN_ANALYSE;
    // AACGain changes the file in place and is never interrupted: 中断 waits for it.
    if (aacgain && abort_allowed_ != false) {
      observer_.AbortAllowed(false);
      abort_allowed_ = false;
    }
    if (step.clears_output) observer_.ToolOutput({});
    if (step.running) {
      StageEvent running = *step.running;
      if (planned.Takes(CommandPiece::Kind::kGain)) running.number = gain_;
      observer_.StageReached(running);
    }
    int gain = GAIN_NOT_FOUND;
    int* gain_output = step.mode == SCAN_GAIN_ANALYSE ? &gain : nullptr;
    const auto result = std::make_unique<AnalysisResult>();
    int verdict = RunStepTool(*result, observer_, step, *command, gain_output);
    // An analysis that ends without a recommendation ("done" alone) has no gain to apply.
    if (step.mode == SCAN_GAIN_ANALYSE && verdict == VERDICT_SUCCESS && gain == GAIN_NOT_FOUND) verdict = VERDICT_FAILURE;
    if (gain_output != nullptr) gain_ = gain;

    if (verdict != VERDICT_SUCCESS) {
      const FileOutcome failed = StepFailed(step);
      return verdict == VERDICT_ABORTED ? FileOutcome::kAborted : failed;
    }
    if (!new_output.empty()) {
      // The new copy takes the place of the output.
      Remove(output_);
      output_ = new_output;
      std::erase(own_, new_output);
    }
    if (step.encodes) NoteEncodedFrames(*step.encodes, result->capture);
    if (step.succeeded) observer_.Report(*step.succeeded);
    const bool next_is_aacgain = index + 1 < plan_.steps.size() && plan_.steps[index + 1].kind == FileStep::Kind::kTool &&
                                 plan_.steps[index + 1].mode >= SCAN_GAIN_ANALYSE;
    if (aacgain && !next_is_aacgain && !Aborted()) {
      observer_.AbortAllowed(true);
      abort_allowed_ = true;
    }
    return FileOutcome::kSucceeded;
  }

  // An early step's turn: it is told as if it ran now, and its verdict is taken.
  FileOutcome TakeEarlyStep(std::size_t index, EarlyRun& run) {
    const FileStep& step = plan_.steps[index];
    if (step.clears_output) observer_.ToolOutput({});
    if (step.running) observer_.StageReached(*step.running);
    const int verdict = run.verdict.get();
    run.observer->Replay(observer_);
    if (verdict != VERDICT_SUCCESS) {
      const FileOutcome failed = StepFailed(step);
      return verdict == VERDICT_ABORTED ? FileOutcome::kAborted : failed;
    }
    if (step.encodes) NoteEncodedFrames(*step.encodes, run.result->capture);
    if (step.succeeded) observer_.Report(*step.succeeded);
    return FileOutcome::kSucceeded;
  }

  // What the encoder said of each frame it made, for the check, and where it made them.
  void NoteEncodedFrames(std::size_t run, const std::string& log) {
    if (!expected_.frames || run >= expected_.frames->encoded.size()) return;
    OutputExpectation::Frames::Encoded& encoded = expected_.frames->encoded[run];
    if (encoded.part >= parts_.size()) return;
    encoded.part_file = parts_[encoded.part];
    if (encoded.first_picture_part && *encoded.first_picture_part < parts_.size()) {
      encoded.first_picture_file = parts_[*encoded.first_picture_part];
    }
    encoded.psnr = EncodedFramePsnr(log, static_cast<std::size_t>(encoded.count), expected_.frames->luma_weight);
  }

  FileOutcome StepFailed(const FileStep& step) {
    if (step.failed) {
      observer_.Report(*step.failed);
      return FileOutcome::kRefused;
    }
    return FileOutcome::kFailed;
  }

  FileOutcome StripTags(const FileStep& step) {
    // An empty output is left for the check to name.
    const auto size = platform::FileSize(output_);
    if (!size || *size == 0) return FileOutcome::kSucceeded;
    if (step.running) observer_.StageReached(*step.running);
    if (!StripTagHeader(output_, &left_behind_)) return StepFailed(step);
    if (step.succeeded) observer_.Report(*step.succeeded);
    return FileOutcome::kSucceeded;
  }

  bool TakeFinalName() {
    const FinalName& final_name = plan_.final_name;
    switch (final_name.kind) {
      case FinalName::Kind::kKeep:
        return true;
      case FinalName::Kind::kReplace:
        // A piece of an earlier run of the same name gives way, but only to a piece that passed.
        if (!platform::MoveOver(output_, final_name.path)) return false;
        output_ = final_name.path;
        return true;
      case FinalName::Kind::kNumbered: {
        const std::string taken =
            TakeFirstFreeName([&](int n) { return final_name.NumberedFor(n); },
                              [&](const std::string& name) { return platform::RenameToNewName(output_, name); });
        if (taken.empty()) return false;
        output_ = taken;
        return true;
      }
    }
    return false;
  }

  // The temp copies and the concat list go in every case, the output unless it is kept.
  void CleanUp(bool keep_output, bool keep_parts = false) {
    if (!keep_output && !output_.empty()) {
      own_.push_back(output_);
      output_.clear();
    }
    std::vector<std::string> kept;
    for (std::string& file : own_) {
      if (keep_parts && std::find(parts_.begin(), parts_.end(), file) != parts_.end()) {
        kept.push_back(file);
      } else {
        Remove(file);
      }
    }
    own_ = std::move(kept);
  }

  // Removes a file of this run's own; one that stays (held open by another program) is named.
  void Remove(const std::string& path) {
    if (path.empty() || platform::DeleteFileForced(path)) return;
    if (platform::LookUpName(path) == platform::NameState::kFree) return;
    observer_.Report(Stage::kRemoveFailed, path);
    left_behind_.push_back(path);
  }

  const FilePlan& plan_;
  const RunSettings& settings_;
  RunObserver& observer_;
  const std::atomic<int>& abort_;
  const RunHooks& hooks_;
  std::vector<std::string>& left_behind_;
  OutputExpectation expected_;  // the plan's, with what the run learned for the check

  std::vector<std::string> read_inputs_;  // the inputs as the commands read them
  std::vector<std::string> own_;          // files of this run's own, removed at the end
  std::string concat_list_;
  std::vector<std::string> parts_;
  std::string output_;
  int gain_ = GAIN_NOT_FOUND;
  std::optional<bool> abort_allowed_;  // as this file last set it; none: untouched
  std::map<std::size_t, EarlyRun> early_;  // the steps that started early, by their place in the plan
  std::future<CheckResult> check_;     // the check under way on a thread of its own
  std::atomic<int> check_abort_{0};    // stops that check
};

}  // namespace

RunSummary RunFiles(const RunPlan& plan, const RunSettings& settings, RunObserver& observer,
                    const std::atomic<int>& abort, const RunHooks& hooks) {
  RunSummary summary;
  const int total = static_cast<int>(plan.files.size());
  std::optional<Stage> early_end;
  if (total == 0) {
    early_end = Stage::kNothingToDo;
  } else if (const ToolPathProblem ffmpeg = CheckToolPath(settings.ffmpeg); ffmpeg != ToolPathProblem::kNone) {
    observer.ToolMissing(Tool::kFfmpeg, ffmpeg == ToolPathProblem::kNotAProgram);
    early_end = Stage::kFfmpegMissing;
  } else if (const ToolPathProblem aacgain = plan.needs_aacgain ? CheckToolPath(settings.aacgain) : ToolPathProblem::kNone;
             aacgain != ToolPathProblem::kNone) {
    observer.ToolMissing(Tool::kAacgain, aacgain == ToolPathProblem::kNotAProgram);
    early_end = Stage::kAacgainMissing;
  }
  bool aborted = false;
  if (early_end) {
    observer.Report(*early_end);
    summary.counted = plan.counts_early_end;
  } else {
    const auto ended = [&](FileOutcome outcome) {
      observer.FileEnded(outcome);
      if (outcome == FileOutcome::kSucceeded) ++summary.successes;
      if (outcome == FileOutcome::kAborted) aborted = true;
    };
    // With overlapping checks, a file's output is read back while the next file is made, and
    // its end is told after the next one's tools.
    std::unique_ptr<FileRun> checking;
    for (const FilePlan& file : plan.files) {
      auto run = std::make_unique<FileRun>(file, settings, observer, abort, hooks, summary.left_behind);
      const FileOutcome made = run->Make();
      if (checking) ended(std::exchange(checking, nullptr)->Finish());
      if (made != FileOutcome::kSucceeded) {
        ended(made);
      } else if (plan.overlap_checks && !aborted) {
        run->StartCheck();
        checking = std::move(run);
      } else {
        ended(run->Finish());
      }
      if (aborted) break;
    }
    if (checking) ended(checking->Finish());
  }
  // Files not made because of an abort count as failed.
  summary.failures = total - summary.successes;
  observer.RunEnded(summary);

  // Failed files do not prevent the shut-down; an abort does, and so does a run that could not start.
  if (settings.power_off && !aborted && summary.counted) {
    if (hooks.power_off) {
      hooks.power_off();
    } else {
      platform::RequestPowerOff();
    }
  }
  return summary;
}

}  // namespace clipwright
