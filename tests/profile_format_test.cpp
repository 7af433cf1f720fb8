// What only the portable reader decides: how a file without a byte-order mark is taken.
#include "platform/profile_format.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace clipwright::platform::ini {
namespace {

struct DecodeCase {
  const char* name;
  std::string bytes;
  std::u16string text;
  friend void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }
};

class DecodeFile : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeFile, ByMarkThenByValidity) {
  EXPECT_EQ(DecodeFileText(GetParam().bytes), GetParam().text);
  // Whatever the source, the file is written back as UTF-16LE with its mark.
  Document document = Parse(DecodeFileText(GetParam().bytes));
  EXPECT_EQ(DecodeFileText(Serialize(document)), DecodeFileText(GetParam().bytes));
}

INSTANTIATE_TEST_SUITE_P(
    ProfileFormat, DecodeFile,
    ::testing::Values(DecodeCase{"Utf8WithoutMark", "k=\xE9\x9F\xB3\r\n", u"k=音\r\n"},
                      // Not UTF-8: every byte is its own character, so nothing is lost.
                      DecodeCase{"Latin1", "k=\xE9\x81\xFF\r\n", u"k=\u00E9\u0081\u00FF\r\n"},
                      DecodeCase{"Utf8WithMark", "\xEF\xBB\xBFk=\xE9\x9F\xB3\r\n", u"k=音\r\n"},
                      DecodeCase{"Utf16OddLength", std::string("\xFF\xFEk\0=\0v\0\r\0\n\0x", 13), u"k=v\r\n"},
                      DecodeCase{"Utf16BigEndian", std::string("\xFE\xFF\0k\0=\0v\0\r\0\n", 12), u"k=v\r\n"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace clipwright::platform::ini
