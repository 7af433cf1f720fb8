#include "support/temp_dir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <system_error>

#include "platform/files.h"
#include "platform/paths.h"

namespace clipwright::testing {

std::filesystem::path FsPath(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

TempDir::TempDir() {
  // Tests run in parallel processes: a random name, and create_directory refuses one that exists.
  static std::atomic<int> counter{0};
  std::random_device random;
  std::filesystem::path folder;
  do {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    folder = std::filesystem::temp_directory_path() /
             ("clipwright-" + std::to_string(random()) + "-" + std::to_string(stamp % 100000) + "-" +
              std::to_string(counter++));
  } while (!std::filesystem::create_directory(folder));
  path_ = Utf8Path(folder) + platform::PathSeparator();
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Read-only files inside must not keep the folder alive on Windows.
  // The increment that takes an error code: a destructor must not throw on an entry it cannot
  // step past.
  for (std::filesystem::recursive_directory_iterator entry(FsPath(path_), ignored), end; entry != end;
       entry.increment(ignored)) {
    platform::ClearReadOnly(Utf8Path(entry->path()));
  }
  std::filesystem::remove_all(FsPath(path_), ignored);
}

std::string TempDir::Write(std::string_view name, std::string_view bytes) const {
  const std::string file = File(name);
  platform::WriteWholeFile(file, bytes);
  return file;
}

std::vector<std::string> TempDir::Names(std::string_view sub) const {
  std::vector<std::string> names;
  for (const platform::FolderEntry& entry : platform::ListFolder(File(sub))) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace clipwright::testing
