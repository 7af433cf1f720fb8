// Files by UTF-8 path. On Windows the paths are Windows paths and go through the wide API.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipwright::platform {

// Something (a file or a folder) exists at the path.
bool PathExists(const std::string& path);

// What a look-up finds at a name. Only "no such file or folder" makes a name free; a look-up that
// fails for any other reason (access denied, a name too long for the call, a folder on the way
// that is missing) says nothing about the name. A link counts as taken, wherever it leads.
enum class NameState { kFree, kTaken, kUnknown };
NameState LookUpName(const std::string& path);

// The outcome of making a file under a name that nothing may have yet.
enum class NewFile {
  kMade,    // the file is there, made by this call
  kExists,  // something had the name already; it is untouched
  kFailed,  // anything else (nothing is left of the attempt)
};

// Creates `path` exclusively, never opening or following what is there, and writes `bytes`.
NewFile CreateNewFile(const std::string& path, std::string_view bytes = {});
// Copies into a new file `to`, made exclusively; the attributes travel with the copy. Gives up
// with kFailed, and removes the unfinished copy, once `abort` is non-zero.
NewFile CopyToNewFile(const std::string& from, const std::string& to, const std::atomic<int>* abort = nullptr);
// Renames `from` to `to` only if nothing has that name.
NewFile RenameToNewName(const std::string& from, const std::string& to);
// Puts `from` in the place of the existing `to` in one step: there is no moment at which `to` is
// missing or holds anything but its old or its new content.
bool MoveOver(const std::string& from, const std::string& to);
bool IsDirectory(const std::string& path);
bool CanOpenForReading(const std::string& path);

std::optional<std::uint64_t> FileSize(const std::string& path);

// A file's size and last change, as the file system keeps them: a file replaced or written to
// since has another stamp.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // in the system's own unit
  bool operator==(const FileStamp&) const = default;
};
// None for a name that is no file (gone, a folder) or cannot be looked at.
std::optional<FileStamp> StampOf(const std::string& path);

// Copies the bytes of `from` over `to`, a file of the caller's own (one that CreateNewFile made);
// `to` stays writable whatever the attributes of `from`.
bool CopyFileOver(const std::string& from, const std::string& to);
// Clears the read-only attribute first.
bool DeleteFileForced(const std::string& path);
bool ClearReadOnly(const std::string& path);
bool SetReadOnly(const std::string& path);

bool ReadWholeFile(const std::string& path, std::string* bytes);
// At most the first `max` bytes of the file (all of a shorter one).
bool ReadFileStart(const std::string& path, std::size_t max, std::string* bytes);
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
