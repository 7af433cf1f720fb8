// What a run tells the window while it goes: the file it is on, the stage it has reached, the
// tool's latest output, the predicted time, whether 中断 may be pressed, and how it ended. The
// progress dialog turns these into its texts (they all live there); the tests record them. The
// calls come from the worker thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipwright {

// The stages a run reports. Most set the dialog's process line; the frame numbers go to its
// progress line. `text` and the numbers of a StageEvent fill in what a stage names.
enum class Stage {
  // Any tool run.
  kToolNotStarted,      // the tool could not be started
  kGainFinalStage,      // AACGain writes the file back: this takes long
  // Reading what a tool printed.
  kReadingStreams,
  kReadingVideoFrames,
  kReadingAudioFrames,
  kAudioFrameNumber,    // number: the audio frame reached
  // File intake and the split page's scans.
  kProbing,
  kProbeFailed,
  kScanningVideo,
  kScanFailed,
  kTooManyFrames,
  kLoadingKeyframes,
  kKeyframeNumber,      // number: the keyframe's frame
  kScanningAudio,
  // A run of a page.
  kNothingToDo,
  kFfmpegMissing,
  kAacgainMissing,
  kNoAudioTrack,        // volume: no AAC or MP3 audio to change
  kNoInput,             // multiplex: no stream of either file is checked
  kSourceChanged,       // text: an input that has changed since it was added
  kSetAside,            // text: why the check before the run found the file cannot be made
  kCommandRefused,      // text: the command; number: its length count
  kMakingTempCopies,
  kTempCopyFailed,      // text: the listed file
  kConcatListFailed,    // text: the list that could not be made
  kOutputNameFailed,    // text: the file whose output could not be named
  kRunning,             // the tool is making the file
  kRunningPiece,        // numbers: the piece's first and next keyframe
  kEncodingHead,        // a frame cut: numbers: the frames encoded again (first and next)
  kCopyingGops,         // numbers: the frames copied
  kEncodingTail,        // numbers: the frames encoded again
  kJoiningParts,
  kCopyingSource,       // volume's working file: a byte copy
  kSourceCopied,
  kSourceCopyFailed,
  kMakingContainer,     // volume's working file: AAC into MP4
  kContainerMade,
  kContainerFailed,
  kMakingAudioOnly,     // volume's working file: the audio stream alone
  kAudioOnlyMade,
  kAudioOnlyFailed,
  kAnalysingGain,
  kAnalysisFailed,
  kApplyingGain,        // number: the gain
  kGainApplied,
  kGainFailed,
  kRemovingMetadata,
  kMetadataRemoved,
  kMetadataFailed,
  kRemovingTags,
  kTagsRemoved,
  kTagsFailed,
  kCheckFailed,         // number: a CheckFailure; first and second: what it names
  kRenameFailed,
  kRemoveFailed,        // text: the file of ours that stays
};

struct StageEvent {
  Stage stage;
  std::string text = {};
  std::int64_t number = 0;
  std::int64_t first = 0;
  std::int64_t second = 0;
};

// How one file of a run ended.
enum class FileOutcome {
  kSucceeded,
  kFailed,     // the tool failed; nothing more was said
  kRefused,    // failed with its reason already reported (a refused command, a failed check, …)
  kAborted,
};

// How the run ended. A run that ended before its first file (nothing to do, a tool missing) may
// have no counts to show.
struct RunSummary {
  bool counted = true;
  int successes = 0;
  int failures = 0;
  // Files of this run that could not be removed (a virus scanner holding them, say).
  std::vector<std::string> left_behind;
};

enum class Tool { kFfmpeg, kAacgain };

class RunObserver {
 public:
  virtual ~RunObserver() = default;
  virtual void FileStarted(std::string_view name) = 0;
  virtual void StageReached(const StageEvent& event) = 0;
  // The tool's latest output as the user should see it (a progress line, a stream line, …).
  virtual void ToolOutput(std::string_view text) = 0;
  // Seconds the conversion is predicted to take, from the tool's speed.
  virtual void PredictedTime(double seconds) = 0;
  virtual void AbortAllowed(bool allowed) = 0;
  // The path of a tool cannot be used (`not_a_program`: it names a file that is no program, a
  // batch file say); the window tells the user as it does when a page asks.
  virtual void ToolMissing(Tool tool, bool not_a_program) = 0;
  virtual void FileEnded(FileOutcome outcome) = 0;
  virtual void RunEnded(const RunSummary& summary) = 0;

  void Report(Stage stage, std::string text = {}) { StageReached(StageEvent{stage, std::move(text)}); }
};

// For tool runs that report to nobody: the check of an output, the split page's pictures.
class NullObserver final : public RunObserver {
 public:
  void FileStarted(std::string_view) override {}
  void StageReached(const StageEvent&) override {}
  void ToolOutput(std::string_view) override {}
  void PredictedTime(double) override {}
  void AbortAllowed(bool) override {}
  void ToolMissing(Tool, bool) override {}
  void FileEnded(FileOutcome) override {}
  void RunEnded(const RunSummary&) override {}
};

}  // namespace clipwright
