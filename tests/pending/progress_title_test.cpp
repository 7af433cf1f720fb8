#include "jobs/progress_title.h"

#include <gtest/gtest.h>

namespace clipwright {
namespace {

struct TitleCase {
  ProgressVariant variant;
  std::uint32_t elapsed_ms;
  const char* title;
};

void PrintTo(const TitleCase& c, std::ostream* out) { *out << static_cast<int>(c.variant) << " " << c.elapsed_ms << " ms"; }

class ElapsedTitleTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(ElapsedTitleTest, ShowsWholeSecondsAsHoursMinutesSeconds) {
  EXPECT_EQ(ElapsedTitle(GetParam().variant, GetParam().elapsed_ms), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, ElapsedTitleTest,
    ::testing::Values(TitleCase{ProgressVariant::kJob, 0, "FFmpeg ［経過時間 00:00:00］"},
                      TitleCase{ProgressVariant::kJob, 999, "FFmpeg ［経過時間 00:00:00］"},
                      TitleCase{ProgressVariant::kJob, (65 * 60 + 7) * 1000, "FFmpeg ［経過時間 01:05:07］"},
                      TitleCase{ProgressVariant::kAnalysis, 59'999, "FFmpeg ［経過時間 00:00:59］"},
                      TitleCase{ProgressVariant::kAnalysis, 3'600'000, "FFmpeg ［経過時間 01:00:00］"},
                      TitleCase{ProgressVariant::kVolume, (65 * 60 + 7) * 1000, "AACGain [経過時間 01:05:07]"},
                      // More than 99 hours print with more digits; the tick difference wraps at 2^32 ms.
                      TitleCase{ProgressVariant::kJob, 100u * 3'600'000u + 1000, "FFmpeg ［経過時間 100:00:01］"},
                      TitleCase{ProgressVariant::kVolume, 0xFFFFFFFFu, "AACGain [経過時間 1193:02:47]"}));

}  // namespace
}  // namespace clipwright
