#include "jobs/batch_checks.h"

#include <map>
#include <optional>
#include <string_view>

#include "analysis/stream_model.h"
#include "jobs/output_files.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace clipwright {
namespace {

bool IsSize(std::string_view word) {
  const std::size_t x = word.find('x');
  if (x == 0 || x == std::string_view::npos || x + 1 == word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (i != x && (word[i] < '0' || word[i] > '9')) return false;
  }
  return true;
}

// The field that ends in `unit` (" fps", " Hz"), as it stands.
std::string_view WithUnit(const std::vector<std::string_view>& fields, std::string_view unit) {
  for (const std::string_view field : fields) {
    if (field.size() > unit.size() && field.ends_with(unit)) return field;
  }
  return {};
}

struct Property {
  std::string label;
  std::string value;
};

// What is compared of one stream, in the order it is compared.
std::vector<Property> Properties(std::string_view line) {
  const std::vector<std::string_view> fields = StreamLineFields(line);
  const std::string_view codec = fields.empty() ? std::string_view() : FirstWord(fields[0]);
  std::vector<Property> properties;
  switch (StreamKindOf(line)) {
    case StreamKind::kVideo: {
      std::string_view size, pixels;
      for (std::size_t i = 1; i < fields.size(); ++i) {
        if (size.empty() && IsSize(FirstWord(fields[i]))) size = FirstWord(fields[i]);
      }
      // The pixel format follows the codec, unless the line goes straight on to the size.
      if (fields.size() > 1 && !IsSize(FirstWord(fields[1]))) pixels = FirstWord(fields[1]);
      properties = {{"映像", std::string(codec)}, {"映像", std::string(size)}, {"映像", std::string(pixels)},
                    {"映像", std::string(WithUnit(fields, " fps"))}};
      break;
    }
    case StreamKind::kAudio: {
      std::string_view rate = WithUnit(fields, " Hz"), layout;
      for (std::size_t i = 1; i + 1 < fields.size(); ++i) {
        if (fields[i] == rate) layout = fields[i + 1];
      }
      properties = {{"音声", std::string(codec)}, {"音声", std::string(rate)}, {"音声", std::string(layout)}};
      break;
    }
    default:
      break;
  }
  return properties;
}

const char* KindName(StreamKind kind) {
  switch (kind) {
    case StreamKind::kVideo: return "映像";
    case StreamKind::kAudio: return "音声";
    case StreamKind::kSubtitle: return "字幕";
    case StreamKind::kData: return "データ";
    case StreamKind::kAttachment: return "添付";
    default: return "不明";
  }
}

std::string Differs(const std::string& label, const std::string& value, const std::string& first) {
  return label + " " + value + "（1 本目は " + first + "）";
}

std::optional<std::string> FirstDifference(const InputFile& file, const InputFile& first) {
  if (file.streams.size() != first.streams.size()) {
    return Differs("ストリーム数", std::to_string(file.streams.size()), std::to_string(first.streams.size()));
  }
  for (std::size_t i = 0; i < file.streams.size(); ++i) {
    const StreamKind kind = StreamKindOf(file.streams[i].line);
    const StreamKind first_kind = StreamKindOf(first.streams[i].line);
    if (kind != first_kind) {
      return Differs("ストリーム " + std::to_string(i + 1), KindName(kind), KindName(first_kind));
    }
    const std::vector<Property> ours = Properties(file.streams[i].line);
    const std::vector<Property> theirs = Properties(first.streams[i].line);
    for (std::size_t p = 0; p < ours.size() && p < theirs.size(); ++p) {
      if (ours[p].value != theirs[p].value) return Differs(ours[p].label, ours[p].value, theirs[p].value);
    }
  }
  return std::nullopt;
}

}  // namespace

std::vector<FileProblem> CompareForJoin(const std::vector<InputFile>& files) {
  std::vector<FileProblem> mismatches;
  for (std::size_t i = 1; i < files.size(); ++i) {
    if (auto difference = FirstDifference(files[i], files[0])) {
      mismatches.push_back(FileProblem{static_cast<int>(i + 1), files[i].path, std::move(*difference)});
    }
  }
  return mismatches;
}

namespace {

// At most ten files, then how many more.
std::string ProblemLines(const std::vector<FileProblem>& problems) {
  constexpr std::size_t kShown = 10;
  std::string text;
  for (std::size_t i = 0; i < problems.size() && i < kShown; ++i) {
    const platform::PathParts parts = platform::SplitPath(problems[i].path);
    text += std::to_string(problems[i].position) + ": " + parts.name + parts.extension + " — " + problems[i].difference + "\r\n";
  }
  if (problems.size() > kShown) text += "ほか " + std::to_string(problems.size() - kShown) + " ファイル\r\n";
  return text;
}

// A new file can be made in the folder: one of the run's own names is made and removed again.
bool TakesNewFiles(const std::string& beside) {
  const std::string probe = TakeFirstFreeName([&](int n) { return TempName(beside, n, ".tmp"); },
                                              [](const std::string& name) { return platform::CreateNewFile(name); });
  return !probe.empty() && platform::DeleteFileForced(probe);
}

// `writable`: the folders found to take new files, or not, so far.
std::optional<std::string> ProblemOf(const FilePlan& file, const RunSettings& settings, std::map<std::string, bool>& writable) {
  for (std::size_t i = 0; i < file.inputs.size(); ++i) {
    const bool changed = i < file.stamps.size() && file.stamps[i] && platform::StampOf(file.inputs[i]) != file.stamps[i];
    if (changed || !platform::CanOpenForReading(file.inputs[i])) return "見つからないか、追加後に変更されています";
  }
  if (file.inputs.empty()) return std::nullopt;
  // The output is named beside the first input, or beside what the command reads last.
  const std::string beside = file.output.beside == OutputStart::Beside::kFirstInput ? file.inputs.front() : file.inputs.back();
  const auto [folder, unseen] = writable.try_emplace(FolderOf(beside), false);
  if (unseen) folder->second = TakesNewFiles(beside);
  if (!folder->second) return "出力先のフォルダーに書き込めません";
  const std::string start = FirstFreeName([&](int n) { return file.output.NameFor(beside, n); });
  std::string final_name = start;
  if (file.final_name.kind == FinalName::Kind::kNumbered) {
    final_name = FirstFreeName([&](int n) { return file.final_name.NumberedFor(n); });
  } else if (file.final_name.kind == FinalName::Kind::kReplace) {
    final_name = file.final_name.path;
  }
  if (start.empty() || final_name.empty()) return "出力ファイルの名前を決められません";
  CommandNames names = LikelyNames(file);
  names.output = start;
  names.new_output = NumberedName(start, 1, file.output.extension);
  for (const FileStep& step : file.steps) {
    if (step.kind != FileStep::Kind::kTool) continue;
    names.program = step.command.tool() == Tool::kFfmpeg ? settings.ffmpeg : settings.aacgain;
    const CommandLine command = ResolveCommand(step.command, names);
    if (!command.FitsLimit()) return "コマンドが長すぎます（" + std::to_string(command.LengthCount()) + " 文字）";
  }
  return std::nullopt;
}

}  // namespace

std::string JoinQuestion(const std::vector<FileProblem>& mismatches) {
  return "次のファイルは 1 本目とストリームの形式が違います。このまま連結すると、再生できないファイルや"
         "音の出ないファイルになることがあります。\r\n\r\n" +
         ProblemLines(mismatches) + "\r\nこのまま連結しますか？";
}

std::vector<FileProblem> CheckBatch(const RunPlan& plan, const RunSettings& settings) {
  std::vector<FileProblem> problems;
  std::map<std::string, bool> writable;
  for (std::size_t i = 0; i < plan.files.size(); ++i) {
    const FilePlan& file = plan.files[i];
    if (file.refused) continue;  // it says why itself
    if (auto problem = ProblemOf(file, settings, writable)) {
      problems.push_back(FileProblem{static_cast<int>(i + 1), file.display_name, std::move(*problem)});
    }
  }
  return problems;
}

std::string BatchQuestion(const std::vector<FileProblem>& problems) {
  return "次のファイルは処理できません。\r\n\r\n" + ProblemLines(problems) + "\r\nほかのファイルを処理しますか？";
}

void SetAside(RunPlan* plan, const std::vector<FileProblem>& problems) {
  for (const FileProblem& problem : problems) {
    FilePlan& file = plan->files[static_cast<std::size_t>(problem.position - 1)];
    file.refused = StageEvent{Stage::kSetAside, problem.difference};
  }
}

}  // namespace clipwright
