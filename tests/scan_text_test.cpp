#include "tools/scan_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace clipwright::scan {
namespace {

struct NumberCase {
  const char* text;
  std::int64_t integer;
  double decimal;
};

class NumberReadingTest : public ::testing::TestWithParam<NumberCase> {};

// atoi and atof on copied pieces: blanks, a sign, digits, and a stop at the first other byte.
TEST_P(NumberReadingTest, ReadsLikeTheCRuntime) {
  EXPECT_EQ(ReadInteger(GetParam().text), GetParam().integer) << GetParam().text;
  EXPECT_DOUBLE_EQ(ReadDecimal(GetParam().text), GetParam().decimal) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, NumberReadingTest,
    ::testing::Values(NumberCase{"", 0, 0}, NumberCase{"N/A", 0, 0}, NumberCase{"42", 42, 42},
                      NumberCase{"  \t-3\n", -3, -3}, NumberCase{"+7x", 7, 7}, NumberCase{"2.5x", 2, 2.5},
                      NumberCase{"512.000000", 512, 512}, NumberCase{" 1.04e1 ", 1, 10.4}, NumberCase{".5", 0, 0.5},
                      NumberCase{"- 4", 0, 0}, NumberCase{"+-4", 0, 0}, NumberCase{"0:01", 0, 0},
                      NumberCase{"99999999999999999999999", INT64_MAX, 1e23}));

// A user locale with a decimal comma must not change what is read.
TEST(NumberReading, IgnoresTheLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "German_Germany.1252", "de-DE"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) break;
  }
  EXPECT_DOUBLE_EQ(ReadDecimal("2.5"), 2.5);
  EXPECT_DOUBLE_EQ(ReadDecimal("2,5"), 2);
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(Span, StaysInsideTheText) {
  const std::string_view text = "frame=1 speed=2x";
  EXPECT_EQ(Span(text, 8, 100), "speed=2x");
  EXPECT_EQ(Span(text, 100, 200), "");
  EXPECT_EQ(Span(text, 5, 5), "");
  EXPECT_EQ(Span(text, 5, 2), "");
}

TEST(ForwardFinder, AnswersLikeFind) {
  const std::string text = "a\r\nb\nc\rd";
  ForwardFinder line_ends(text, "\r\n", ForwardFinder::kAnyOf);
  for (std::size_t from : {0u, 1u, 2u, 3u, 5u, 6u, 7u, 9u, 20u, 0u, 4u}) {
    EXPECT_EQ(line_ends.From(from), from > text.size() ? npos : text.find_first_of("\r\n", from)) << from;
  }
  ForwardFinder pattern(text, "b\n");
  EXPECT_EQ(pattern.From(0), 3u);
  EXPECT_EQ(pattern.From(3), 3u);
  EXPECT_EQ(pattern.From(4), npos);
  EXPECT_EQ(pattern.From(1), 3u);  // a step back looks again
}

TEST(LimitUtf16, CutsBetweenCharacters) {
  EXPECT_EQ(LimitUtf16("abc", 5), "abc");
  EXPECT_EQ(LimitUtf16("ab動画", 3), "ab動");
  EXPECT_EQ(LimitUtf16("a\xF0\x9F\x8E\xAC", 2), "a");  // the pair would need two more units
  EXPECT_EQ(LimitUtf16("a\xF0\x9F\x8E\xAC", 3), "a\xF0\x9F\x8E\xAC");
}

}  // namespace
}  // namespace clipwright::scan
