#include "common/placement.h"

#include <gtest/gtest.h>

namespace clipwright {
namespace {

struct CenterCase {
  ScreenRect outer;
  ScreenRect inner;
  std::optional<ScreenPoint> expected;
};

void PrintTo(const CenterCase& c, std::ostream* out) {
  *out << c.inner.width() << "x" << c.inner.height() << " over " << c.outer.width() << "x" << c.outer.height()
       << "+" << c.outer.left << "+" << c.outer.top;
}

class CenterOverTest : public ::testing::TestWithParam<CenterCase> {};

TEST_P(CenterOverTest, CentresOnlyInsideALargerWindow) {
  const auto place = CenterOver(GetParam().outer, GetParam().inner);
  ASSERT_EQ(place.has_value(), GetParam().expected.has_value());
  if (place) {
    EXPECT_EQ(place->x, GetParam().expected->x);
    EXPECT_EQ(place->y, GetParam().expected->y);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Places, CenterOverTest,
    ::testing::Values(
        // The desktop: 1280 x 1024 around a window of 804 x 597.
        CenterCase{{0, 0, 1280, 1024}, {0, 0, 804, 597}, ScreenPoint{238, 213}},
        // An owner away from the origin; odd differences are truncated.
        CenterCase{{100, 50, 905, 648}, {7, 9, 522, 314}, ScreenPoint{245, 196}},
        // An owner left of and above the screen's origin.
        CenterCase{{-900, -700, -100, -100}, {0, 0, 301, 201}, ScreenPoint{-651, -501}},
        // Not wider, or not taller, or of the same size: the window stays where it is.
        CenterCase{{0, 0, 200, 1000}, {0, 0, 515, 308}, std::nullopt},
        CenterCase{{0, 0, 1000, 200}, {0, 0, 515, 308}, std::nullopt},
        CenterCase{{0, 0, 515, 308}, {0, 0, 515, 308}, std::nullopt}));

}  // namespace
}  // namespace clipwright
