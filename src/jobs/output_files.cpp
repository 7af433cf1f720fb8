#include "jobs/output_files.h"

#include <optional>

#include "tools/number_text.h"
#include "platform/paths.h"

namespace clipwright {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Names tried in one series before the search gives up: a folder where this many are taken is
// not one to go on counting in.
constexpr int kNamesPerSeries = 100000;

// The counter of the first free name from `from` on, below `limit`; none when a look-up fails.
std::optional<int> FirstFreeCounter(const std::function<std::string(int)>& name_for, int from, int limit) {
  for (int counter = from; counter < limit; ++counter) {
    switch (platform::LookUpName(name_for(counter))) {
      case platform::NameState::kFree:
        return counter;
      case platform::NameState::kTaken:
        break;
      case platform::NameState::kUnknown:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace

std::string FirstFreeName(const std::function<std::string(int counter)>& name_for, int first) {
  const std::optional<int> counter = FirstFreeCounter(name_for, first, first + kNamesPerSeries);
  return counter ? name_for(*counter) : std::string();
}

std::string TakeFirstFreeName(const std::function<std::string(int counter)>& name_for,
                              const std::function<platform::NewFile(const std::string& name)>& make, int first) {
  const int limit = first + kNamesPerSeries;
  for (std::optional<int> counter = FirstFreeCounter(name_for, first, limit); counter;
       counter = FirstFreeCounter(name_for, *counter + 1, limit)) {
    std::string name = name_for(*counter);
    switch (make(name)) {
      case platform::NewFile::kMade:
        return name;
      case platform::NewFile::kExists:
        break;  // taken since the look-up
      case platform::NewFile::kFailed:
        return {};
    }
  }
  return {};
}

std::string NumberedName(const std::string& path, int counter, std::string_view extension) {
  const platform::PathParts parts = platform::SplitPath(path);
  return parts.drive + parts.directory + parts.name + "_" + std::to_string(counter) + std::string(extension);
}

std::string FolderOf(const std::string& path) {
  const platform::PathParts parts = platform::SplitPath(path);
  return parts.drive + parts.directory;
}

std::string TempName(const std::string& path, int counter, std::string_view extension) {
  const platform::PathParts parts = platform::SplitPath(path);
  return parts.drive + parts.directory + "temp" + FixedText(counter, 0, 4) + std::string(extension);
}

void AppendCommandLog(std::string_view folder, std::string_view command) {
  const std::string path = (folder.empty() ? platform::ProgramFolder() : std::string(folder)) + "log.txt";
  const auto size = platform::FileSize(path);
  std::string bytes = (!size || *size == 0) ? std::string(kByteOrderMark) : std::string();
  bytes += command;
  bytes += "\r\n";
  platform::AppendToFile(path, bytes);
}

}  // namespace clipwright
