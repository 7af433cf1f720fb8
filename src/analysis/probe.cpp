#include "analysis/probe.h"

#include <algorithm>
#include <string_view>

#include "common/ascii_case.h"
#include "common/limits.h"
#include "platform/paths.h"
#include "tools/command_line.h"
#include "tools/analysis_result.h"
#include "tools/scan_capture.h"
#include "tools/tool_runner.h"

namespace clipwright {
namespace {

// What CreateProcess takes, with room to spare; a probe is not held to the job commands' limit.
constexpr int kProbeCommandLimit = 32000;

// Input #n's lines as FFmpeg prints them for a file probed alone: as input #0.
std::string AsFirstInput(std::string_view line, std::size_t input) {
  const std::size_t text = std::min(line.find_first_not_of(' '), line.size());
  const std::string number = std::to_string(input);
  for (const std::string_view head : {"Input #", "Stream #", "Chapter #"}) {
    const std::string_view rest = line.substr(text);
    if (!rest.starts_with(head) || rest.substr(head.size()).substr(0, number.size()) != number) continue;
    const char after = rest.size() > head.size() + number.size() ? rest[head.size() + number.size()] : '\0';
    if (after != ':' && after != ',') continue;
    std::string renumbered(line.substr(0, text + head.size()));
    return renumbered.append("0").append(rest.substr(head.size() + number.size()));
  }
  return std::string(line);
}

// Splits what one FFmpeg run printed into what each input's probe alone would have printed. An
// input's listing is its "Input #n, …" line and the indented lines under it; what comes before
// it (a demuxer's warnings, or the error of an input that cannot be opened) is the input's
// own. One section more than there are listings holds the input the run stopped at.
std::vector<std::string> InputSections(std::string_view capture, std::size_t inputs) {
  std::vector<std::string> sections;
  std::string before;
  bool in_listing = false;
  for (std::size_t start = 0; start < capture.size();) {
    const std::size_t feed = capture.find('\n', start);
    const std::size_t end = feed == std::string_view::npos ? capture.size() : feed + 1;
    const std::string_view line = capture.substr(start, end - start);
    start = end;
    const std::size_t next = sections.size();
    if (next < inputs && line.starts_with("Input #" + std::to_string(next) + ",")) {
      sections.push_back(before + AsFirstInput(line, next));
      before.clear();
      in_listing = true;
    } else if (in_listing && line.starts_with(' ')) {
      sections.back() += AsFirstInput(line, next - 1);
    } else {
      in_listing = false;
      before += line;
    }
  }
  // After the last listing comes FFmpeg's closing complaint, which a probe alone ends with too.
  if (sections.size() == inputs && !sections.empty()) {
    sections.back() += before;
  } else {
    sections.push_back(std::move(before));
  }
  return sections;
}

}  // namespace

bool IsVolumeExtension(const std::string& path) {
  const std::string extension = platform::SplitPath(path).extension;
  for (const char* accepted : {".mp4", ".mp3", ".m4a", ".aac"}) {
    if (EqualsIgnoringCase(extension, accepted)) return true;
  }
  return false;
}

std::vector<ProbeOutcome> ProbeFiles(const std::string& ffmpeg, const std::vector<std::string>& paths,
                                     std::size_t per_run, const std::atomic<int>& abort) {
  std::vector<ProbeOutcome> outcomes(paths.size());
  for (std::size_t first = 0; first < paths.size();) {
    CommandLine command(ffmpeg);
    command.AddWords("-hide_banner -nostats");
    std::size_t end = first;
    // A single file is probed however long its name; more are only while they fit.
    for (; end < paths.size() && end - first < std::max<std::size_t>(per_run, 1); ++end) {
      CommandLine longer = command;
      longer.Add("-i").AddQuoted(paths[end]);
      if (end > first && longer.LengthCount() > kProbeCommandLimit) break;
      command = std::move(longer);
    }
    // Taken first: a file that changes while it is probed is one that has changed.
    std::vector<std::optional<platform::FileStamp>> stamps;
    for (std::size_t k = first; k < end; ++k) stamps.push_back(platform::StampOf(paths[k]));

    AnalysisResult run;
    NullObserver nobody;  // a probe shows nothing while it runs
    if (RunTool(run.capture, nobody, abort, command.Text(), SCAN_PROBE, 0) == 0) {
      outcomes[first].events.Report(Stage::kToolNotStarted);
      ++first;
      continue;
    }
    if (abort.load() != 0) {
      for (std::size_t k = first; k < paths.size(); ++k) outcomes[k].verdict = VERDICT_ABORTED;
      break;
    }
    std::vector<std::string> sections = InputSections(run.capture, end - first);
    for (std::size_t k = 0; k < sections.size(); ++k) {
      ProbeOutcome& outcome = outcomes[first + k];
      AnalysisResult result;
      result.capture = std::move(sections[k]);
      outcome.verdict = ScanCapture(result, outcome.events, SCAN_PROBE, nullptr);
      if (outcome.verdict != VERDICT_SUCCESS) continue;
      ProbedFile& probed = outcome.probed;
      probed.path = paths[first + k];
      const std::size_t count = std::min<std::size_t>(result.stream_lines.size(), STREAM_CAPACITY);
      probed.stream_lines.assign(result.stream_lines.begin(),
                                 result.stream_lines.begin() + static_cast<std::ptrdiff_t>(count));
      probed.duration = result.duration;
      probed.video_kind = result.video_kind;
      probed.stamp = stamps[k];
    }
    first += sections.size();
  }
  return outcomes;
}

int ProbeFile(const std::string& ffmpeg, const std::string& path, RunObserver& observer,
              const std::atomic<int>& abort, ProbedFile* probed) {
  std::vector<ProbeOutcome> outcomes = ProbeFiles(ffmpeg, {path}, 1, abort);
  ProbeOutcome& outcome = outcomes.front();
  outcome.events.Replay(observer);
  if (outcome.verdict == VERDICT_SUCCESS) *probed = std::move(outcome.probed);
  return outcome.verdict;
}

}  // namespace clipwright
