#include "tools/number_text.h"

#include <gtest/gtest.h>

namespace clipwright {
namespace {

TEST(FixedText, AsPrintfWritesItInTheCLocale) {
  const struct {
    double value;
    int decimals, width;
    const char* expected;
  } cases[] = {
      {12.5, 6, 0, "12.500000"},       {7.5, 6, 0, "7.500000"},       {0, 6, 0, "0.000000"},
      {12.5, 3, 9, "00012.500"},       {60, 3, 9, "00060.000"},       {3723.256, 3, 9, "03723.256"},
      {123456.5, 3, 9, "123456.500"},  {-1.5, 3, 9, "-0001.500"},     {1, 0, 4, "0001"},
      {12345, 0, 4, "12345"},          {0.0005, 3, 0, "0.001"},       {1e-7, 6, 0, "0.000000"},
  };
  for (const auto& c : cases) EXPECT_EQ(FixedText(c.value, c.decimals, c.width), c.expected) << c.value;
}

}  // namespace
}  // namespace clipwright
