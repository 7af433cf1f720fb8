#include "volume/target_level.h"

#include <gtest/gtest.h>

namespace clipwright {
namespace {

struct StepCase {
  const char* text;
  int delta;
  const char* stepped;
};

void PrintTo(const StepCase& c, std::ostream* out) { *out << '"' << c.text << "\" " << (c.delta < 0 ? "up" : "down"); }

class StepTargetLevelTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepTargetLevelTest, MovesOneTenthWithinTheRange) {
  EXPECT_EQ(StepTargetLevel(GetParam().text, GetParam().delta), GetParam().stepped);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StepTargetLevelTest,
    ::testing::Values(
        // The up arrow gives a negative delta and raises the level.
        StepCase{"100.0", -1, "100.1"}, StepCase{"100.0", 1, "99.9"}, StepCase{"89.0", -1, "89.1"},
        // The result is rounded to one decimal.
        StepCase{"99.9", -1, "100.0"}, StepCase{"0100.05", 1, "100.0"},
        // The bounds hold in both directions.
        StepCase{"60.0", 1, "60.0"}, StepCase{"60.0", -1, "60.1"}, StepCase{"119.95", -1, "120.0"},
        StepCase{"120.0", -1, "120.0"}, StepCase{"120.0", 1, "119.9"}, StepCase{"500", 1, "120.0"},
        StepCase{"-3", -1, "60.0"},
        // Text that is no number counts as 0; a number followed by other text counts as the number.
        StepCase{"", -1, "60.0"}, StepCase{"abc", 1, "60.0"}, StepCase{"nan", -1, "60.0"},
        StepCase{" 95.5dB", -1, "95.6"}, StepCase{"+70", 1, "69.9"}));

}  // namespace
}  // namespace clipwright
