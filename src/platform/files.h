// Files by UTF-8 path. On Windows the paths are Windows paths and go through the wide API.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipwright::platform {

// Something (a file or a folder) exists at the path.
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
bool CanOpenForReading(const std::string& path);

std::optional<std::uint64_t> FileSize(const std::string& path);

// Copies without ever replacing an existing file; attributes travel with the copy.
bool CopyFileNoOverwrite(const std::string& from, const std::string& to);
// Clears the read-only attribute first.
bool DeleteFileForced(const std::string& path);
bool ClearReadOnly(const std::string& path);
bool SetReadOnly(const std::string& path);
// Renames without replacing an existing file.
bool RenameFile(const std::string& from, const std::string& to);

bool ReadWholeFile(const std::string& path, std::string* bytes);
// Creates or replaces the file.
bool WriteWholeFile(const std::string& path, std::string_view bytes);
bool AppendToFile(const std::string& path, std::string_view bytes);

struct FolderEntry {
  std::string name;
  bool is_directory = false;
  std::uint64_t size = 0;
};
// Entries of a folder, without "." and "..".
std::vector<FolderEntry> ListFolder(const std::string& folder);

}  // namespace clipwright::platform
