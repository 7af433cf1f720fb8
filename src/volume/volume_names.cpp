#include "volume/volume_names.h"

#include "common/ascii_case.h"
#include "jobs/number_text.h"
#include "jobs/output_files.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace clipwright {

std::string WorkingExtension(std::string_view extension) {
  if (EqualsIgnoringCase(extension, ".m4a") || EqualsIgnoringCase(extension, ".aac")) return ".mp4";
  return std::string(extension);
}

std::string MakeTempName(const std::string& path) {
  const platform::PathParts parts = platform::SplitPath(path);
  const std::string folder = parts.drive + parts.directory;
  const std::string extension = WorkingExtension(parts.extension);
  return TakeFirstFreeName([&](int n) { return folder + "temp" + FixedText(n, 0, 4) + extension; },
                           [](const std::string& name) { return platform::CreateNewFile(name); });
}

std::string MakeNumberedName(const std::string& path) {
  const platform::PathParts parts = platform::SplitPath(path);
  const std::string stem = parts.drive + parts.directory + parts.name + "_";
  const std::string extension = WorkingExtension(parts.extension);
  return TakeFirstFreeName([&](int n) { return stem + std::to_string(n) + extension; },
                           [](const std::string& name) { return platform::CreateNewFile(name); });
}

std::string MoveToOutputName(const std::string& working, const std::string& source) {
  const platform::PathParts parts = platform::SplitPath(source);
  const std::string stem = parts.drive + parts.directory + parts.name + "_";
  const std::string extension = platform::SplitPath(working).extension;
  // The rename itself takes the name: it never replaces what is there.
  return TakeFirstFreeName([&](int n) { return stem + std::to_string(n) + extension; },
                           [&](const std::string& name) { return platform::RenameToNewName(working, name); });
}

}  // namespace clipwright
