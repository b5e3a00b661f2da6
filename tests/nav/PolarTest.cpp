#include "nav/Polar.h"

#include <gtest/gtest.h>

namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();

const Polar smallPolar { { 6, 12 }, { 45, 90 }, { { 4, 6 }, { 5, 8 } } };
// Every value distinct and the grid uneven, so that a swapped index or axis shows.
const Polar unevenPolar { { 5, 10, 20 }, { 30, 60, 120 }, { { 1, 2, 4 }, { 3, 5, 9 }, { 6, 7, 8 } } };

TEST(PolarSpeed, InterpolatesInsideHoldsTheEdgesGivesZeroForUnusablePolarsAndTakesTheAngleToTheWind)
{
    // The polar, the wind angle and speed, and the boat's speed.
    const std::tuple<const Polar&, double, double, double> cases[] = { { smallPolar, 67.5, 9, 5.75 }, { smallPolar, 90, 20, 8 }, { smallPolar, 30, 3, 4 }, { smallPolar, 315, 9, 5 },
        { smallPolar, -90, 9, 6.5 }, { smallPolar, 67.5, 12, 7 }, { smallPolar, 200, 12, 8 }, { smallPolar, nan, nan, 8 },
        { smallPolar, 45, nan, 6 }, { unevenPolar, 90, 15, 7.25 }, { unevenPolar, 45, 7.5, 2.75 }, { unevenPolar, 40, 20, 4 + 5.0 / 3 },
        { unevenPolar, 130, 2, 6 }, { unevenPolar, 60, 10, 5 }, { unevenPolar, 60, 30, 9 } };
    for (const auto& [polar, angle, wind, expected] : cases)
        EXPECT_DOUBLE_EQ(expected, polarSpeed(polar, angle, wind)) << angle << " " << wind;
    // Unusable polars give zero without reading outside their arrays.
    const Polar polars[] = { Polar {}, Polar { { 6, 12 }, {}, {} }, Polar { {}, { 45, 90 }, { {}, {} } }, Polar { { 6, 12 }, { 45, 90 }, { { 4, 6 } } },
        Polar { { 6, 12 }, { 45, 90 }, { { 4, 6 }, { 5 } } }, Polar { { 6, 12 }, { 45, 90 }, { { 4, 6 }, { 5, 8, 9 } } },
        Polar { { 6, 12 }, { 45 }, { { 4, 6 }, { 5, 8 } } } };
    const double queries[][2] = { { 67.5, 9 }, { 0, 0 }, { 180, 100 }, { nan, nan }, { 1e300, -1e300 } };
    for (const Polar& polar : polars) {
        for (const auto& q : queries)
            EXPECT_EQ(0.0, polarSpeed(polar, q[0], q[1])) << polar.winds.size() << " winds, angle " << q[0];
    }
    // On a heading the angle to the wind is looked up; one below -180 is brought up by a
    // turn before the lookup folds it.
    EXPECT_DOUBLE_EQ(6.5, speedOnHeading(smallPolar, 90, 0, 9));
    EXPECT_DOUBLE_EQ(6.5, speedOnHeading(smallPolar, 270, 0, 9));
    EXPECT_DOUBLE_EQ(5.75, speedOnHeading(smallPolar, 350, 57.5, 9));
}

} // namespace
