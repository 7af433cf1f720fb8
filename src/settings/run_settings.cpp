#include "settings/run_settings.h"

#include "common/ascii_case.h"
#include "common/limits.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/profile_format.h"
#include "platform/text.h"

namespace clipwright {

std::string GeneralOptions(const RunSettings& settings, int first) {
  std::string text;
  for (int entry = first < 0 ? 0 : first; entry < kGeneralOptionCount; ++entry) {
    const std::string& option = settings.options[static_cast<std::size_t>(entry)];
    if (!option.empty()) text += " " + option;
  }
  return text;
}

std::string FitToPathBuffer(std::string_view text) {
  // Through UTF-16, so that the count is the one the window's buffer sees; stray bytes become
  // U+FFFD on the way, as they would at the window's conversion.
  return platform::Utf16ToUtf8(platform::ini::FitToCapacity(platform::Utf8ToUtf16(text), PATH_CAPACITY));
}

ToolPathProblem CheckToolPath(std::string_view path) {
  const std::string fitted = FitToPathBuffer(path);
  if (fitted != path || !platform::CanOpenForReading(fitted)) return ToolPathProblem::kMissing;
  const std::string extension = platform::SplitPath(fitted).extension;
  const std::string_view required = platform::ProgramExtension();
  if (EqualsIgnoringCase(extension, ".bat") || EqualsIgnoringCase(extension, ".cmd") ||
      (!required.empty() && !EqualsIgnoringCase(extension, required))) {
    return ToolPathProblem::kNotAProgram;
  }
  return ToolPathProblem::kNone;
}

}  // namespace clipwright
