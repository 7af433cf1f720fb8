// The initialisation-file format as the platform's profile functions read and write it, for the
// POSIX build (which has no such functions) and for tests that hold the two against each other.
// Text is kept in UTF-16 so that lengths, truncation and case folding count what Windows counts.
//
// The rules are the ones Wine's kernel32 follows (checked against it):
// - Lines end at CR, LF or CR LF. Blank lines are dropped. Every line is trimmed of blanks, tabs,
//   vertical tabs, form feeds and Ctrl-Z.
// - "[name]" starts a section (name up to the last "]", trimmed); lines before the first header
//   belong to an unnamed section that is written without a header.
// - "key=value" splits at the first "="; both halves are trimmed. A line without "=" is kept as
//   a key without a value, which reads as missing. A line "=value" right after another one of its
//   section is dropped.
// - Section and key names match ignoring ASCII case; the first match wins.
// - Writing replaces a value in place, appends a new key at the end of its section and a new
//   section at the end of the file, and rewrites the whole file with CR LF line ends. A write of
//   the value already stored changes nothing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace clipwright::platform::ini {

struct Entry {
  std::u16string key;
  std::u16string value;
  bool has_value = false;
};

struct Section {
  std::u16string name;  // empty for the lines before the first header
  std::vector<Entry> entries;
};

struct Document {
  Document();
  std::vector<Section> sections;  // sections[0] is the unnamed one
};

// A file's bytes as text: UTF-16LE, UTF-16BE or UTF-8 by their byte-order marks. Without a mark,
// valid UTF-8 is UTF-8 (what a text editor on this side writes), and anything else is taken byte
// for byte as Latin-1, which loses nothing and agrees with Windows-1252 outside 0x80-0x9F.
std::u16string DecodeFileText(std::string_view bytes);
Document Parse(std::u16string_view text);
// A byte-order mark and UTF-16LE, which both builds read back the same on every code page.
std::string Serialize(const Document& document);

// The entry of a key that has a value, or null.
const Entry* Find(const Document& document, std::u16string_view section, std::u16string_view key);
// True when the document changed.
bool Set(Document& document, std::u16string_view section, std::u16string_view key, std::u16string_view value);

// A string value as GetPrivateProfileStringW returns it into a buffer of `capacity` units: the
// value or the fallback, one pair of enclosing quotes removed, at most capacity - 1 units.
std::u16string ReadString(const Document& document, std::u16string_view section, std::u16string_view key,
                          std::u16string_view fallback, std::size_t capacity);
// As GetPrivateProfileIntW: the fallback for a missing or empty value, else the leading number.
int ReadInt(const Document& document, std::u16string_view section, std::u16string_view key, int fallback);
// A struct value; `data` is left alone unless the length and the checksum are right.
bool ReadStruct(const Document& document, std::u16string_view section, std::u16string_view key, void* data,
                std::size_t size);
// Two upper-case hex digits per byte, then the low byte of the sum of the bytes.
std::u16string FormatStruct(const void* data, std::size_t size);

// The number at the start of a text, read as RtlUnicodeStringToInteger reads it with base 0:
// blanks, one sign, an optional 0x/0o/0b prefix, digits; 32 bits that wrap around.
int ParseInt(std::u16string_view text);
// At most capacity - 1 units of a text (none for capacity 0); a pair of surrogates cut in two
// loses its first half rather than leaving it alone at the end.
std::u16string FitToCapacity(std::u16string_view text, std::size_t capacity);

}  // namespace clipwright::platform::ini
