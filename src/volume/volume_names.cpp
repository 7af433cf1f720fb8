#include "volume/volume_names.h"

#include <functional>

#include "common/ascii_case.h"
#include "jobs/number_text.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace clipwright {
namespace {

// The first candidate n = 1, 2, … that can be created; empty when one fails for any other reason
// than being taken (a folder that cannot hold new files would otherwise be tried for ever).
std::string TakeFirstFree(const std::function<std::string(int)>& candidate) {
  for (int counter = 1;; ++counter) {
    std::string path = candidate(counter);
    switch (platform::CreateNewFile(path)) {
      case platform::NewFile::kCreated:
        return path;
      case platform::NewFile::kTaken:
        continue;
      case platform::NewFile::kFailed:
        return {};
    }
  }
}

}  // namespace

std::string WorkingExtension(std::string_view extension) {
  if (EqualsIgnoringCase(extension, ".m4a") || EqualsIgnoringCase(extension, ".aac")) return ".mp4";
  return std::string(extension);
}

std::string MakeTempName(const std::string& path) {
  const platform::PathParts parts = platform::SplitPath(path);
  const std::string folder = parts.drive + parts.directory;
  const std::string extension = WorkingExtension(parts.extension);
  return TakeFirstFree([&](int n) { return folder + "temp" + FixedText(n, 0, 4) + extension; });
}

std::string MakeNumberedName(const std::string& path) {
  const platform::PathParts parts = platform::SplitPath(path);
  const std::string stem = parts.drive + parts.directory + parts.name + "_";
  const std::string extension = WorkingExtension(parts.extension);
  return TakeFirstFree([&](int n) { return stem + std::to_string(n) + extension; });
}

std::string MoveToOutputName(const std::string& working, const std::string& source) {
  const platform::PathParts parts = platform::SplitPath(source);
  const std::string stem = parts.drive + parts.directory + parts.name + "_";
  const std::string extension = platform::SplitPath(working).extension;
  // The rename itself takes the name: it never replaces what is there.
  for (int counter = 1;; ++counter) {
    std::string output = stem + std::to_string(counter) + extension;
    if (platform::RenameFile(working, output)) return output;
    if (!platform::PathExists(output) || !platform::PathExists(working)) return {};
  }
}

}  // namespace clipwright
