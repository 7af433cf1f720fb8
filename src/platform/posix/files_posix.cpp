#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/files.h"

namespace clipwright::platform {
namespace {

// Writes all of `bytes`, retrying short writes.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// A regular file opened for reading, or -1.
int OpenRegularFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info{};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Reads `fd` to its end and hands each piece to `take`; false on a read error or when `take`
// returns false.
template <typename Take>
bool ReadAll(int fd, Take take) {
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return got == 0;
    if (!take(std::string_view(buffer, static_cast<std::size_t>(got)))) return false;
  }
}

// Copies everything of `source` into `target` and closes both; true when all of it was written
// before `abort` (if any) was set.
bool CopyAndClose(int source, int target, const std::atomic<int>* abort = nullptr) {
  bool ok = ReadAll(source, [&](std::string_view piece) {
    return (abort == nullptr || abort->load() == 0) && WriteAll(target, piece);
  });
  ::close(source);
  if (::close(target) != 0) ok = false;
  return ok;
}

bool WriteWithFlags(const std::string& path, std::string_view bytes, int flags) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0666);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, bytes);
  return ::close(fd) == 0 && written;
}

}  // namespace

bool PathExists(const std::string& path) {
  struct stat info{};
  return ::stat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat info{};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CanOpenForReading(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
  struct stat info{};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat info{};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return FileStamp{static_cast<std::uint64_t>(info.st_size),
                   static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

NameState LookUpName(const std::string& path) {
  struct stat info{};
  if (::lstat(path.c_str(), &info) == 0) return NameState::kTaken;
  return errno == ENOENT ? NameState::kFree : NameState::kUnknown;
}

NewFile CreateNewFile(const std::string& path, std::string_view bytes) {
  // O_EXCL: an existing name, a link included, is never opened.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  // A folder of that name, given with a trailing slash, answers EISDIR rather than EEXIST.
  if (fd < 0) return errno == EEXIST || LookUpName(path) == NameState::kTaken ? NewFile::kExists : NewFile::kFailed;
  const bool written = WriteAll(fd, bytes);
  if (::close(fd) == 0 && written) return NewFile::kMade;
  ::unlink(path.c_str());
  return NewFile::kFailed;
}

NewFile CopyToNewFile(const std::string& from, const std::string& to, const std::atomic<int>* abort) {
  if (abort != nullptr && abort->load() != 0) return NewFile::kFailed;
  const int source = OpenRegularFile(from);
  if (source < 0) return NewFile::kFailed;
  struct stat info{};
  ::fstat(source, &info);
  // O_EXCL: an existing target is never replaced. The mode (read-only included) travels along.
  const int target = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777);
  if (target < 0) {
    const int error = errno;
    ::close(source);
    return error == EEXIST ? NewFile::kExists : NewFile::kFailed;
  }
  if (CopyAndClose(source, target, abort)) return NewFile::kMade;
  ::unlink(to.c_str());
  return NewFile::kFailed;
}

bool CopyFileOver(const std::string& from, const std::string& to) {
  const int source = OpenRegularFile(from);
  if (source < 0) return false;
  // No O_CREAT: the target is the caller's file, and one that has gone is not made again.
  const int target = ::open(to.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (target < 0) {
    ::close(source);
    return false;
  }
  return CopyAndClose(source, target);
}

bool ClearReadOnly(const std::string& path) {
  struct stat info{};
  if (::stat(path.c_str(), &info) != 0) return false;
  return ::chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

bool SetReadOnly(const std::string& path) {
  struct stat info{};
  if (::stat(path.c_str(), &info) != 0) return false;
  return ::chmod(path.c_str(), info.st_mode & 07777 & ~(S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool DeleteFileForced(const std::string& path) {
  if (IsDirectory(path)) return false;
  ClearReadOnly(path);
  return ::unlink(path.c_str()) == 0;
}

NewFile RenameToNewName(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return NewFile::kMade;
  if (errno == EEXIST) return NewFile::kExists;
  if (errno != EINVAL && errno != ENOSYS) return NewFile::kFailed;
  // A file system without RENAME_NOREPLACE: test, then rename (a narrow race, as on Windows).
  const NameState state = LookUpName(to);
  if (state != NameState::kFree) return state == NameState::kTaken ? NewFile::kExists : NewFile::kFailed;
  return ::rename(from.c_str(), to.c_str()) == 0 ? NewFile::kMade : NewFile::kFailed;
}

bool MoveOver(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bytes->clear();
  const bool ok = ReadAll(fd, [bytes](std::string_view piece) {
    bytes->append(piece);
    return true;
  });
  ::close(fd);
  return ok;
}

bool ReadFileStart(const std::string& path, std::size_t max, std::string* bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bytes->assign(max, '\0');
  std::size_t have = 0;
  bool ok = true;
  while (have < max) {
    const ssize_t got = ::read(fd, bytes->data() + have, max - have);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    have += static_cast<std::size_t>(got);
  }
  ::close(fd);
  bytes->resize(have);
  return ok;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) { return WriteWithFlags(path, bytes, O_TRUNC); }

bool AppendToFile(const std::string& path, std::string_view bytes) { return WriteWithFlags(path, bytes, O_APPEND); }

std::vector<FolderEntry> ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return entries;
  std::string prefix = folder;
  if (!prefix.empty() && prefix.back() != '/') prefix += '/';
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info{};
    FolderEntry item{name, false, 0};
    if (::stat((prefix + name).c_str(), &info) == 0) {
      item.is_directory = S_ISDIR(info.st_mode);
      item.size = item.is_directory ? 0 : static_cast<std::uint64_t>(info.st_size);
    }
    entries.push_back(std::move(item));
  }
  ::closedir(dir);
  return entries;
}

}  // namespace clipwright::platform
