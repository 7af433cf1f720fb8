// A fresh folder for one test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace clipwright::testing {

// std::filesystem paths from and to the program's UTF-8 strings.
std::filesystem::path FsPath(std::string_view utf8);
std::string Utf8Path(const std::filesystem::path& path);

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, ending in the system's separator.
  const std::string& path() const { return path_; }
  // path() + name.
  std::string File(std::string_view name) const { return path_ + std::string(name); }
  // Writes a file of the given bytes and returns its path.
  std::string Write(std::string_view name, std::string_view bytes) const;
  // The names of what the folder (or the folder `sub` in it) holds, sorted.
  std::vector<std::string> Names(std::string_view sub = {}) const;

 private:
  std::string path_;
};

}  // namespace clipwright::testing
