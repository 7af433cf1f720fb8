#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "platform/files.h"
#include "platform/win32/wide.h"

namespace clipwright::platform {
namespace {

// Writes all of `bytes` and closes the file; false when either fails.
bool WriteAndClose(HANDLE file, std::string_view bytes) {
  bool ok = true;
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
      ok = false;
      break;
    }
    bytes.remove_prefix(written);
  }
  if (!CloseHandle(file)) ok = false;
  return ok;
}

HANDLE OpenForWriting(const std::string& path, DWORD disposition, bool append) {
  return CreateFileW(Widen(path).c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteWithDisposition(const std::string& path, std::string_view bytes, DWORD disposition, bool append) {
  HANDLE file = OpenForWriting(path, disposition, append);
  return file != INVALID_HANDLE_VALUE && WriteAndClose(file, bytes);
}

bool NameWasTaken(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

// Called by CopyFileExW between pieces of the copy.
DWORD CALLBACK CopyProgress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE,
                            LPVOID abort) {
  const auto* flag = static_cast<const std::atomic<int>*>(abort);
  return flag != nullptr && flag->load() != 0 ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

}  // namespace

bool PathExists(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CanOpenForReading(const std::string& path) {
  std::FILE* file = _wfopen(Widen(path).c_str(), L"rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<FileStamp> StampOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  const FILETIME& written = data.ftLastWriteTime;
  return FileStamp{(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                   static_cast<std::int64_t>((static_cast<std::uint64_t>(written.dwHighDateTime) << 32) |
                                             written.dwLowDateTime)};
}

NameState LookUpName(const std::string& path) {
  if (GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES) return NameState::kTaken;
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
      return NameState::kFree;
    case ERROR_SHARING_VIOLATION:  // held open by someone: it is there
      return NameState::kTaken;
    default:
      return NameState::kUnknown;
  }
}

NewFile CreateNewFile(const std::string& path, std::string_view bytes) {
  HANDLE file = OpenForWriting(path, CREATE_NEW, false);
  // A folder of that name answers "access denied" rather than "exists".
  if (file == INVALID_HANDLE_VALUE) {
    return NameWasTaken(GetLastError()) || LookUpName(path) == NameState::kTaken ? NewFile::kExists : NewFile::kFailed;
  }
  if (WriteAndClose(file, bytes)) return NewFile::kMade;
  DeleteFileW(Widen(path).c_str());
  return NewFile::kFailed;
}

NewFile CopyToNewFile(const std::string& from, const std::string& to, const std::atomic<int>* abort) {
  if (abort != nullptr && abort->load() != 0) return NewFile::kFailed;
  // The copy removes its unfinished target itself when the progress routine cancels it.
  if (CopyFileExW(Widen(from).c_str(), Widen(to).c_str(), CopyProgress, const_cast<std::atomic<int>*>(abort),
                  nullptr, COPY_FILE_FAIL_IF_EXISTS)) {
    return NewFile::kMade;
  }
  return NameWasTaken(GetLastError()) ? NewFile::kExists : NewFile::kFailed;
}

bool CopyFileOver(const std::string& from, const std::string& to) {
  // A file of the caller's that has gone is not made again. CopyFileW replaces the caller's file
  // and gives it the attributes of the source, read-only included; the copy is the caller's to
  // change.
  if (IsDirectory(to) || !PathExists(to)) return false;
  return CopyFileW(Widen(from).c_str(), Widen(to).c_str(), FALSE) != 0 && ClearReadOnly(to);
}

bool ClearReadOnly(const std::string& path) {
  const std::wstring wide = Widen(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return SetFileAttributesW(wide.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) != 0;
}

bool SetReadOnly(const std::string& path) {
  const std::wstring wide = Widen(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return SetFileAttributesW(wide.c_str(), attributes | FILE_ATTRIBUTE_READONLY) != 0;
}

bool DeleteFileForced(const std::string& path) {
  ClearReadOnly(path);
  return DeleteFileW(Widen(path).c_str()) != 0;
}

NewFile RenameToNewName(const std::string& from, const std::string& to) {
  if (MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), 0)) return NewFile::kMade;
  return NameWasTaken(GetLastError()) ? NewFile::kExists : NewFile::kFailed;
}

bool MoveOver(const std::string& from, const std::string& to) {
  return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes->clear();
  bool ok = true;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    bytes->append(buffer, got);
  }
  CloseHandle(file);
  return ok;
}

bool ReadFileStart(const std::string& path, std::size_t max, std::string* bytes) {
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes->assign(max, '\0');
  std::size_t have = 0;
  bool ok = true;
  while (have < max) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(max - have, 1 << 20));
    if (!ReadFile(file, bytes->data() + have, want, &got, nullptr)) ok = false;
    if (!ok || got == 0) break;
    have += got;
  }
  CloseHandle(file);
  bytes->resize(have);
  return ok;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  return WriteWithDisposition(path, bytes, CREATE_ALWAYS, false);
}

bool AppendToFile(const std::string& path, std::string_view bytes) {
  return WriteWithDisposition(path, bytes, OPEN_ALWAYS, true);
}

std::vector<FolderEntry> ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  std::string pattern = folder;
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += "*.*";
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(Widen(pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::string name = Narrow(data.cFileName);
    if (name == "." || name == "..") continue;
    FolderEntry entry;
    entry.name = name;
    entry.is_directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries.push_back(std::move(entry));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return entries;
}

}  // namespace clipwright::platform
