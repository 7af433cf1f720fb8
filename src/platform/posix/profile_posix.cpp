// Profile on a system without the profile functions: every call reads the whole file, and every
// write that changes something writes it whole again, as the platform does.
#include <string>

#include "platform/files.h"
#include "platform/profile.h"
#include "platform/profile_format.h"
#include "platform/text.h"

namespace clipwright::platform {
namespace {

// Names and values go through a C interface on Windows, which ends them at a NUL; so do they here.
std::u16string Wide(std::string_view utf8) { return Utf8ToUtf16(utf8.substr(0, utf8.find('\0'))); }

// The parsed file; a missing file reads as an empty one. False only when the file is there but
// cannot be read, so that a write never replaces a file it could not see.
bool Load(const std::string& path, ini::Document* document) {
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return !PathExists(path);
  *document = ini::Parse(ini::DecodeFileText(bytes));
  return true;
}

bool Store(const std::string& path, std::string_view section, std::string_view key, std::u16string_view value) {
  ini::Document document;
  if (!Load(path, &document)) return false;
  if (!ini::Set(document, Wide(section), Wide(key), value)) return true;
  return WriteWholeFile(path, ini::Serialize(document));
}

}  // namespace

Profile::Profile(std::string path) : path_(std::move(path)) {}

std::string Profile::GetString(std::string_view section, std::string_view key, std::string_view fallback,
                               std::size_t capacity) const {
  ini::Document document;
  Load(path_, &document);
  return Utf16ToUtf8(ini::ReadString(document, Wide(section), Wide(key), Wide(fallback), capacity));
}

int Profile::GetInt(std::string_view section, std::string_view key, int fallback) const {
  ini::Document document;
  Load(path_, &document);
  return ini::ReadInt(document, Wide(section), Wide(key), fallback);
}

bool Profile::GetStruct(std::string_view section, std::string_view key, void* data, std::size_t size) const {
  ini::Document document;
  Load(path_, &document);
  return ini::ReadStruct(document, Wide(section), Wide(key), data, size);
}

bool Profile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  return Store(path_, section, key, Wide(value));
}

bool Profile::WriteStruct(std::string_view section, std::string_view key, const void* data, std::size_t size) {
  return Store(path_, section, key, ini::FormatStruct(data, size));
}

}  // namespace clipwright::platform
