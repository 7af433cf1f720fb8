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

// What became of an attempt to take a name.
enum class NewFile {
  kCreated,  // an empty file now has the name, and it is the caller's
  kTaken,    // something already has the name
  kFailed,   // the name cannot be had (no such folder, no permission, ...)
};
// Creates an empty file at `path` only when nothing is there, in one step, so that no other
// program can take the name between the look and the creation.
NewFile CreateNewFile(const std::string& path);
// Copies the bytes of `from` over `to`, a file of the caller's own (one that CreateNewFile made);
// `to` stays writable whatever the attributes of `from`.
bool CopyFileOver(const std::string& from, const std::string& to);
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
