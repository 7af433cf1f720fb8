#include "jobs/file_plan.h"

#include "jobs/output_files.h"
#include "platform/paths.h"

namespace clipwright {
namespace {

CommandPiece Piece(CommandPiece::Kind kind, std::string_view text = {}, int input = 0) {
  return CommandPiece{kind, std::string(text), input};
}

}  // namespace

std::string OutputStart::NameFor(const std::string& beside_path, int n) const {
  return beside == Beside::kFirstInput ? TempName(beside_path, n, extension) : NumberedName(beside_path, n, extension);
}

std::string FinalName::NumberedFor(int n) const {
  return !first_choice.empty() && n == 1 ? first_choice : stem + std::to_string(n) + extension;
}

PlannedCommand& PlannedCommand::Add(std::string_view argument) {
  pieces_.push_back(Piece(CommandPiece::Kind::kText, argument));
  return *this;
}

PlannedCommand& PlannedCommand::AddWords(std::string_view words) {
  for (const std::string_view word : SplitWords(words)) Add(word);
  return *this;
}

PlannedCommand& PlannedCommand::AddQuoted(std::string_view argument) {
  pieces_.push_back(Piece(CommandPiece::Kind::kQuoted, argument));
  return *this;
}

PlannedCommand& PlannedCommand::Input(int index) {
  pieces_.push_back(Piece(CommandPiece::Kind::kInput, {}, index));
  return *this;
}

PlannedCommand& PlannedCommand::ConcatList() {
  pieces_.push_back(Piece(CommandPiece::Kind::kConcatList));
  return *this;
}

PlannedCommand& PlannedCommand::Output() {
  pieces_.push_back(Piece(CommandPiece::Kind::kOutput));
  return *this;
}

PlannedCommand& PlannedCommand::PartName(int index) {
  pieces_.push_back(Piece(CommandPiece::Kind::kPartName, {}, index));
  return *this;
}

PlannedCommand& PlannedCommand::NewOutput() {
  pieces_.push_back(Piece(CommandPiece::Kind::kNewOutput));
  return *this;
}

PlannedCommand& PlannedCommand::OutputName() {
  pieces_.push_back(Piece(CommandPiece::Kind::kOutputName));
  return *this;
}

PlannedCommand& PlannedCommand::Gain() {
  pieces_.push_back(Piece(CommandPiece::Kind::kGain));
  return *this;
}

bool PlannedCommand::Takes(CommandPiece::Kind kind) const {
  for (const CommandPiece& piece : pieces_) {
    if (piece.kind == kind) return true;
  }
  return false;
}

CommandLine ResolveCommand(const PlannedCommand& command, const CommandNames& names) {
  CommandLine line(names.program);
  for (const CommandPiece& piece : command.pieces()) {
    switch (piece.kind) {
      case CommandPiece::Kind::kText:
        line.Add(piece.text);
        break;
      case CommandPiece::Kind::kQuoted:
        line.AddQuoted(piece.text);
        break;
      case CommandPiece::Kind::kInput:
        line.AddQuoted(piece.input >= 0 && static_cast<std::size_t>(piece.input) < names.inputs.size()
                           ? names.inputs[static_cast<std::size_t>(piece.input)]
                           : std::string());
        break;
      case CommandPiece::Kind::kConcatList:
        line.AddQuoted(names.concat_list);
        break;
      case CommandPiece::Kind::kPartName: {
        const platform::PathParts parts = piece.input >= 0 && static_cast<std::size_t>(piece.input) < names.parts.size()
                                              ? platform::SplitPath(names.parts[static_cast<std::size_t>(piece.input)])
                                              : platform::PathParts{};
        line.AddQuoted(parts.name + parts.extension);
        break;
      }
      case CommandPiece::Kind::kOutput:
        line.AddQuoted(names.output);
        break;
      case CommandPiece::Kind::kNewOutput:
        line.AddQuoted(names.new_output);
        break;
      case CommandPiece::Kind::kOutputName: {
        const platform::PathParts parts = platform::SplitPath(names.output);
        line.AddQuoted(parts.name + parts.extension);
        break;
      }
      case CommandPiece::Kind::kGain:
        line.Add(std::to_string(names.gain));
        break;
    }
  }
  return line;
}

CommandNames LikelyNames(const FilePlan& file) {
  CommandNames names;
  if (file.inputs.empty()) return names;
  names.inputs = file.inputs;
  if (file.temp_copies) {
    for (std::string& input : names.inputs) input = TempName(input, 1, platform::SplitPath(input).extension);
  }
  const platform::PathParts last = platform::SplitPath(file.inputs.back());
  names.concat_list = last.drive + last.directory + "input.txt";
  names.gain = -99;  // as wide as a gain gets
  for (const FilePlan::Part& part : file.parts) {
    names.parts.push_back(TempName(file.inputs.front(), 1, part.extension.empty() ? file.output.extension : part.extension));
  }
  return names;
}

}  // namespace clipwright
