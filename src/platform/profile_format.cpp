#include "platform/profile_format.h"

#include <cstdint>
#include <cstring>

#include "platform/text.h"

namespace clipwright::platform::ini {
namespace {

// The blanks the platform trims from lines, names and values (line ends split lines before).
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == 0x1A; }

std::u16string_view TrimLeft(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::u16string_view Trim(std::u16string_view text) {
  text = TrimLeft(text);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// The first section or entry of that name, const or not as the container is.
template <typename Container, typename Field>
auto FindNamed(Container& items, std::u16string_view name, Field field) -> decltype(&items.front()) {
  for (auto& item : items) {
    if (SameName(item.*field, name)) return &item;
  }
  return nullptr;
}

std::u16string DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    text += static_cast<char16_t>(big_endian ? (first << 8) | second : (second << 8) | first);
  }
  return text;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

}  // namespace

Document::Document() : sections(1) {}

std::u16string DecodeFileText(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") return DecodeUtf16(bytes.substr(2), false);
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF") return DecodeUtf16(bytes.substr(2), true);
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return Utf8ToUtf16(bytes.substr(3));
  if (IsValidUtf8(bytes)) return Utf8ToUtf16(bytes);
  std::u16string text(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) text[i] = static_cast<unsigned char>(bytes[i]);
  return text;
}

Document Parse(std::u16string_view text) {
  Document document;
  Section* section = &document.sections.front();
  while (!text.empty()) {
    const std::size_t end = text.find_first_of(u"\r\n");
    const std::u16string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::u16string_view::npos ? text.size() : end + 1);
    if (line.empty()) continue;

    if (line.front() == u'[') {
      const std::size_t close = line.rfind(u']');
      if (close != std::u16string_view::npos) {
        document.sections.push_back(Section{std::u16string(Trim(line.substr(1, close - 1))), {}});
        section = &document.sections.back();
        continue;
      }
    }
    Entry entry;
    const std::size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos) {
      entry.key = std::u16string(line);
    } else {
      entry.key = std::u16string(Trim(line.substr(0, equals)));
      entry.value = std::u16string(Trim(line.substr(equals + 1)));
      entry.has_value = true;
    }
    // The platform keeps no nameless key right after another one of its section.
    if (entry.key.empty() && !section->entries.empty() && section->entries.back().key.empty()) continue;
    section->entries.push_back(std::move(entry));
  }
  return document;
}

std::string Serialize(const Document& document) {
  std::u16string text;
  for (const Section& section : document.sections) {
    if (!section.name.empty()) text += u"[" + section.name + u"]\r\n";
    for (const Entry& entry : section.entries) {
      text += entry.key;
      if (entry.has_value) text += u"=" + entry.value;
      text += u"\r\n";
    }
  }
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + text.size() * 2);
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

const Entry* Find(const Document& document, std::u16string_view section, std::u16string_view key) {
  const Section* found = FindNamed(document.sections, Trim(section), &Section::name);
  if (found == nullptr) return nullptr;
  const Entry* entry = FindNamed(found->entries, Trim(key), &Entry::key);
  return (entry != nullptr && entry->has_value) ? entry : nullptr;
}

bool Set(Document& document, std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  // Like the platform, a new name keeps any trailing blanks it was given (the next read trims
  // them), and a value loses its leading ones.
  section = TrimLeft(section);
  key = TrimLeft(key);
  value = TrimLeft(value);
  Section* target = FindNamed(document.sections, Trim(section), &Section::name);
  if (target == nullptr) {
    document.sections.push_back(Section{std::u16string(section), {}});
    target = &document.sections.back();
  }
  Entry* entry = FindNamed(target->entries, Trim(key), &Entry::key);
  if (entry == nullptr) {
    target->entries.push_back(Entry{std::u16string(key), std::u16string(value), true});
    return true;
  }
  if (entry->has_value && entry->value == value) return false;
  entry->value = std::u16string(value);
  entry->has_value = true;
  return true;
}

std::u16string ReadString(const Document& document, std::u16string_view section, std::u16string_view key,
                          std::u16string_view fallback, std::size_t capacity) {
  std::u16string_view value;
  if (const Entry* entry = Find(document, section, key)) {
    value = entry->value;
  } else {
    // The platform drops trailing spaces of the fallback, but never its first character.
    value = fallback;
    while (value.size() > 1 && value.back() == u' ') value.remove_suffix(1);
  }
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return FitToCapacity(value, capacity);
}

int ReadInt(const Document& document, std::u16string_view section, std::u16string_view key, int fallback) {
  // The platform reads the number through a buffer of 30 characters.
  const std::u16string text = ReadString(document, section, key, u"", 30);
  return text.empty() ? fallback : ParseInt(text);
}

bool ReadStruct(const Document& document, std::u16string_view section, std::u16string_view key, void* data,
                std::size_t size) {
  const Entry* entry = Find(document, section, key);
  if (entry == nullptr || entry->value.size() != 2 * size + 2) return false;
  std::vector<unsigned char> bytes(size + 1);
  for (std::size_t i = 0; i <= size; ++i) {
    const int high = HexDigit(entry->value[2 * i]);
    const int low = HexDigit(entry->value[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<unsigned char>(high * 16 + low);
  }
  unsigned char sum = 0;
  for (std::size_t i = 0; i < size; ++i) sum = static_cast<unsigned char>(sum + bytes[i]);
  if (sum != bytes[size]) return false;
  if (size > 0) std::memcpy(data, bytes.data(), size);
  return true;
}

std::u16string FormatStruct(const void* data, std::size_t size) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::u16string text;
  unsigned char sum = 0;
  for (std::size_t i = 0; i <= size; ++i) {
    const unsigned char byte = i < size ? bytes[i] : sum;
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
    sum = static_cast<unsigned char>(sum + byte);
  }
  return text;
}

int ParseInt(std::u16string_view text) {
  while (!text.empty() && text.front() <= u' ') text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
    negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (text.size() >= 2 && text[0] == u'0') {
    if (text[1] == u'x') base = 16;
    if (text[1] == u'o') base = 8;
    if (text[1] == u'b') base = 2;
    if (base != 10) text.remove_prefix(2);
  }
  std::uint32_t total = 0;
  for (char16_t c : text) {
    unsigned digit;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (c >= u'A' && c <= u'Z') {
      digit = c - u'A' + 10;
    } else if (c >= u'a' && c <= u'z') {
      digit = c - u'a' + 10;
    } else {
      break;
    }
    if (digit >= base) break;
    total = total * base + digit;
  }
  if (negative) total = 0u - total;
  return static_cast<int>(total);
}

std::u16string FitToCapacity(std::u16string_view text, std::size_t capacity) {
  if (capacity == 0) return {};
  if (text.size() < capacity) return std::u16string(text);
  text = text.substr(0, capacity - 1);
  if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.remove_suffix(1);
  return std::u16string(text);
}

}  // namespace clipwright::platform::ini
