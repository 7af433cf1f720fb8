#include "analysis/error_list.h"

#include "platform/files.h"
#include "platform/paths.h"

namespace clipwright {

std::string ErrorListPath(const std::string& folder) {
  return (folder.empty() ? platform::ProgramFolder() : folder) + "error.txt";
}

bool AppendErrorList(const std::string& folder, const std::string& path) {
  const std::string file = ErrorListPath(folder);
  std::string bytes;
  // A text file opened for appending as UTF-8 starts with the mark only when it was empty.
  const auto size = platform::FileSize(file);
  if (!size || *size == 0) bytes = "\xEF\xBB\xBF";
  bytes += "Invalid data found when processing input '" + path + "'\r\n";
  return platform::AppendToFile(file, bytes);
}

}  // namespace clipwright
